#include "gui/app/desktop_services.h"
#include "modules/desktop/qt_platform.h"

#include <QAbstractButton>
#include <QColorDialog>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QMessageBox>
#include <QProcess>
#include <QStringList>
#include <QTreeView>
#include <QUrl>

namespace quorvex {

QString toQtFilter(const std::string& filter)
{
    const auto parts = QString::fromStdString(filter).split('|');
    QStringList entries;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        auto patterns = parts[i + 1];
        patterns.replace(';', ' ');
        entries << parts[i] + " (" + patterns.simplified() + ")";
    }
    return entries.join(";;");
}

void QtPrompts::information(const std::string& text)
{
    QMessageBox::information(parent_, "Quorvex", fromSystemText(text));
}

void QtPrompts::error(const std::string& text)
{
    QMessageBox::critical(parent_, "Quorvex", fromSystemText(text));
}

bool QtPrompts::askYesNo(const std::string& text)
{
    return QMessageBox::question(parent_, "Quorvex", fromSystemText(text), QMessageBox::Yes | QMessageBox::No)
           == QMessageBox::Yes;
}

Prompts::Answer QtPrompts::askYesNoCancel(const std::string& text)
{
    const auto answer = QMessageBox::question(parent_, "Quorvex", fromSystemText(text),
                                              QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    return answer == QMessageBox::Yes ? Answer::Yes : answer == QMessageBox::No ? Answer::No : Answer::Cancel;
}

Prompts::Unsaved QtPrompts::askUnsaved(const std::string& text, const UnsavedChoices& choices)
{
    QMessageBox box(QMessageBox::Question, "Quorvex", fromSystemText(text),
                    QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, parent_);
    box.button(QMessageBox::Save)->setText(fromSystemText(choices.save));
    box.button(QMessageBox::Discard)->setText(fromSystemText(choices.discard));
    box.setDefaultButton(QMessageBox::Cancel);
    const auto answer = box.exec();
    return answer == QMessageBox::Save ? Unsaved::Save : answer == QMessageBox::Discard ? Unsaved::Discard : Unsaved::Cancel;
}

namespace {

// Qt's own dialog gives the name column most of the width and cuts the others ("138...KiB"):
// the size, type and date take what their texts need, the name the rest.
void fitColumns(QFileDialog& dialog)
{
    auto* view = dialog.findChild<QTreeView*>("treeView");
    if (!view)
        return;
    auto* header = view->header();
    header->setSectionResizeMode(0, QHeaderView::Stretch);
    for (int column = 1; column < header->count(); ++column)
        header->setSectionResizeMode(column, QHeaderView::ResizeToContents);
}

} // namespace

std::unique_ptr<QFileDialog> openFileDialog(QWidget* parent, const std::string& filter, const std::filesystem::path& initial,
                                            const std::string& title)
{
    // Qt's own dialog matches name filters without regard to case (no QDir::CaseSensitive), so
    // "Torlo.exe" also finds TORLO.EXE on a case-sensitive disk.
    auto dialog = std::make_unique<QFileDialog>(parent, fromSystemText(title), fromPath(initial), toQtFilter(filter));
    dialog->setFileMode(QFileDialog::ExistingFile);
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    fitColumns(*dialog);
    return dialog;
}

std::optional<std::filesystem::path> QtPrompts::openFile(const std::string& filter, const std::filesystem::path& initial,
                                                         const std::string& title)
{
    const auto dialog = openFileDialog(parent_, filter, initial, title);
    if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty())
        return std::nullopt;
    return toPath(dialog->selectedFiles().front());
}

std::optional<std::filesystem::path> QtPrompts::saveFile(const std::string& filter, const std::filesystem::path& initial,
                                                         const std::string& defaultExtension)
{
    QFileDialog dialog(parent_, "Save as", fromPath(initial), toQtFilter(filter));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    fitColumns(dialog);
    if (!defaultExtension.empty())
        dialog.setDefaultSuffix(QString::fromStdString(defaultExtension));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return toPath(dialog.selectedFiles().front());
}

std::optional<std::uint32_t> QtPrompts::chooseColour(std::uint32_t initial)
{
    const QColor start(initial & 0xFF, (initial >> 8) & 0xFF, (initial >> 16) & 0xFF);
    const auto colour = QColorDialog::getColor(start, parent_);
    if (!colour.isValid())
        return std::nullopt;
    return static_cast<std::uint32_t>(colour.red() | (colour.green() << 8) | (colour.blue() << 16));
}

namespace {

// Whether the desktop has a web browser: the program it starts for https addresses. Without
// one a page would open in whatever takes text/html, such as a text editor.
bool hasWebBrowser()
{
#ifdef Q_OS_WIN
    return true;
#else
    QProcess query;
    query.start("xdg-mime", {"query", "default", "x-scheme-handler/https"});
    if (!query.waitForFinished())
        return true;   // no xdg-mime to ask: the opener decides
    return !query.readAllStandardOutput().trimmed().isEmpty();
#endif
}

} // namespace

std::string QtShell::open(const std::string& target, const std::string& parameters,
                          const std::filesystem::path& workingFolder, Window)
{
    const auto qTarget = QString::fromStdString(target);
    // Without parameters the target is a document or an address for its associated program;
    // the execute bit says nothing on vfat or NTFS mounts, where every file carries it.
    if (parameters.empty()) {
        const auto url = qTarget.contains("://") ? QUrl(qTarget) : QUrl::fromLocalFile(qTarget);
        if (!QFileInfo::exists(qTarget) && url.isLocalFile())
            return "\"" + target + "\" does not exist";
        const bool webPage = url.scheme().startsWith("http") || qTarget.endsWith(".html", Qt::CaseInsensitive);
        if (webPage && !hasWebBrowser())
            return "No web browser was found";
        if (!QDesktopServices::openUrl(url))
            return "No program to open \"" + target + "\"; install a desktop opener (xdg-utils)";
        return {};
    }
    if (!QProcess::startDetached(qTarget, QProcess::splitCommand(QString::fromStdString(parameters)),
                                 fromPath(workingFolder)))
        return "Could not start \"" + target + "\"; install it or set its path";
    return {};
}

} // namespace quorvex
