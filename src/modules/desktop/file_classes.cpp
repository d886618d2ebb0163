#include "modules/desktop/file_classes.h"
#include "modules/desktop/qt_platform.h"
#include "core/platform/folders.h"

#include <QDir>
#include <QProcess>
#include <QStandardPaths>

namespace fs = std::filesystem;

namespace quorvex {

namespace {

QString native(const fs::path& path)
{
    return QDir::toNativeSeparators(fromPath(path));
}

QString text(std::string_view view)
{
    return QString::fromLatin1(view.data(), static_cast<qsizetype>(view.size()));
}

// A key's own (default) value.
QString defaultOf(std::string_view key)
{
    return text(key) + "/Default";
}

} // namespace

RegistryClassStore::RegistryClassStore(std::unique_ptr<QSettings> classes, fs::path iconFolder)
    : classes_(std::move(classes)), iconFolder_(std::move(iconFolder))
{
}

AssociationResult RegistryClassStore::associate(AssociationSet kinds, const fs::path& program, bool)
{
    for (std::size_t k = 0; k < AssociationKinds.size(); ++k) {
        if (!kinds[k])
            continue;
        const auto& kind = AssociationKinds[k];
        const auto name = text(kind.className);
        for (auto extension : kind.extensions)
            if (!extension.empty())
                classes_->setValue(defaultOf(extension), name);
        classes_->setValue(defaultOf(kind.className), text(kind.description));
        classes_->setValue(name + "/DefaultIcon/Default", native(iconFolder_ / std::string(kind.windowsIcon)) + ",0");
        // The program's path quoted: unquoted, a path with spaces would start another program.
        classes_->setValue(name + "/shell/open/command/Default", "\"" + native(program) + "\" \"%1\"");
    }
    classes_->sync();
    return {};
}

void RegistryClassStore::removeAssociations()
{
    for (const auto& kind : AssociationKinds) {
        // An extension key stays when another program has taken it over since.
        for (auto extension : kind.extensions)
            if (!extension.empty() && classes_->value(defaultOf(extension)).toString() == text(kind.className))
                classes_->remove(defaultOf(extension));
        classes_->remove(text(kind.className));
    }
    classes_->sync();
}

std::unique_ptr<FileClassStore> desktopClassStore()
{
#ifdef Q_OS_WIN
    return std::make_unique<RegistryClassStore>(
        std::make_unique<QSettings>("HKEY_CURRENT_USER\\Software\\Classes", QSettings::NativeFormat), programFolder());
#else
    DesktopFolders folders{userDataHome(), userConfigHome(), platformWorkspace().dataFolder / "associations"};
    return std::make_unique<FreedesktopClassStore>(
        folders, [](const std::vector<std::string>& command) -> std::optional<std::string> {
            const auto tool = QStandardPaths::findExecutable(QString::fromStdString(command.front()));
            if (tool.isEmpty())
                return std::nullopt;
            QStringList arguments;
            for (std::size_t i = 1; i < command.size(); ++i)
                arguments << QString::fromStdString(command[i]);
            QProcess process;
            process.start(tool, arguments);
            process.waitForFinished();
            return process.readAllStandardOutput().toStdString();
        });
#endif
}

} // namespace quorvex
