#pragma once
// The help pages in a window of Quorvex's own, a text browser, so that they work on a desktop
// without a web browser: links between topics are followed there, links to web sites go to the
// desktop's browser, and "Open in browser" shows the topic there too.
#include <QUrl>
#include <QWidget>
#include <filesystem>

class QLabel;
class QTextBrowser;

namespace quorvex {

class Shell;

class HelpWindow : public QWidget {
public:
    // folder: the help pages (help/ beside quorvex.dat).
    HelpWindow(Shell& shell, std::filesystem::path folder, QWidget* parent = nullptr);

    // Shows a topic, "weapons" for weapons.html ("quorvex-cli#sounds-export" for a place in
    // it), and brings the window to the front.
    void showTopic(const QString& topic);
    // The page shown, as a file URL.
    QUrl page() const;

private:
    void follow(const QUrl& link);
    void OpenInBrowserClick();

    Shell& shell_;
    std::filesystem::path folder_;
    QTextBrowser* browser_;
    QLabel* problem_;
};

} // namespace quorvex
