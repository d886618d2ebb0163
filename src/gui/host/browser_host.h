#pragma once
// What the mod browser sees of the main window beyond what every page sees: the page it brings
// to the front for a file, the editor windows of its menu, the Options page's ticks and what a
// weapon plugin works on. The browser includes this header, never main_form.h.
#include "core/formats/file_formats.h"
#include "gui/host/page_host.h"

#include <random>

class QString;
class QWidget;

namespace quorvex {

struct PluginPages;
struct PluginWrites;

class BrowserHost : public PageHost {
public:
    enum class Editor { Hacks, Texts, Changes, History };

    // The window the browser's menu belongs to.
    virtual QWidget& mainWindow() = 0;
    virtual void showPage(GamePage page) = 0;
    // The editor window shown from "Editors"; none when it was not created.
    virtual QWidget* editorWindow(Editor which) = 0;
    // The status bar's colour text (the preview's pixel under the pointer).
    virtual void showColourText(const QString& text) = 0;
    // Gives the focus to the About page's help file button, as the game's tools did after
    // "(Un) Zip".
    virtual void focusHelpFileButton() = 0;
    // Opens the help pages; the reason shows as the status text when they could not be opened.
    virtual void openHelp() = 0;

    // Ticks of the Options page, from the settings while the page waits to be built.
    virtual bool sortsByExtension() const = 0;
    virtual bool previewsWithGamePalette() const = 0;
    virtual bool powerlevelFlag() const = 0;
    virtual std::mt19937& random() = 0;

    // What a weapon plugin works on: the weapon page's table and the rows of the three lists;
    // after it, the pages select the rows it left and show what it wrote.
    virtual PluginPages pluginPages() const = 0;
    virtual void pluginInstalled(const PluginPages& pages, const PluginWrites& wrote) = 0;
};

} // namespace quorvex
