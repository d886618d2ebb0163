#pragma once
// The real dialogs and shell of the desktop program.
#include "core/base/services.h"

#include <QString>
#include <memory>

class QFileDialog;
class QWidget;

namespace quorvex {

class QtPrompts final : public Prompts {
public:
    explicit QtPrompts(QWidget* parent = nullptr) : parent_(parent) {}
    void setParent(QWidget* parent) { parent_ = parent; }

    void information(const std::string& text) override;
    void error(const std::string& text) override;
    bool askYesNo(const std::string& text) override;
    Answer askYesNoCancel(const std::string& text) override;
    Unsaved askUnsaved(const std::string& text, const UnsavedChoices& choices = {}) override;
    std::optional<std::filesystem::path> openFile(const std::string& filter, const std::filesystem::path& initial,
                                                  const std::string& title = "Open") override;
    std::optional<std::filesystem::path> saveFile(const std::string& filter, const std::filesystem::path& initial,
                                                  const std::string& defaultExtension) override;
    std::optional<std::uint32_t> chooseColour(std::uint32_t initial) override;

private:
    QWidget* parent_;
};

class QtShell final : public Shell {
public:
    std::string open(const std::string& target, const std::string& parameters,
                     const std::filesystem::path& workingFolder, Window window) override;
};

// The open-file dialog that openFile shows.
std::unique_ptr<QFileDialog> openFileDialog(QWidget* parent, const std::string& filter, const std::filesystem::path& initial,
                                            const std::string& title = "Open");

// "Caption|*.ext|Caption|*.*" to Qt's "Caption (*.ext);;Caption (*.*)".
QString toQtFilter(const std::string& filter);

} // namespace quorvex
