#pragma once
// The desktop's store of file classes for this platform: the per-user class store of the
// registry on Windows (HKCU\Software\Classes; the machine-wide one needs administrator
// rights), the per-user XDG folders elsewhere.
#include "core/platform/folders.h"
#include "core/shell/associations.h"

#include <QSettings>
#include <memory>

namespace quorvex {

// The file classes of the registry, written through a QSettings (an INI file in tests).
class RegistryClassStore final : public FileClassStore {
public:
    // iconFolder holds the ic_*.ico files.
    RegistryClassStore(std::unique_ptr<QSettings> classes, std::filesystem::path iconFolder);

    AssociationResult associate(AssociationSet kinds, const std::filesystem::path& program, bool force) override;
    void removeAssociations() override;

private:
    std::unique_ptr<QSettings> classes_;
    std::filesystem::path iconFolder_;
};

// The store of the running platform.
std::unique_ptr<FileClassStore> desktopClassStore();

} // namespace quorvex
