#pragma once
// The settings store and the clock of Windows without Qt, for the CLI: the registry key that
// the program's QSettings("Morvane", "Quorvex") uses, and the system's own date and time
// formats. Windows only.
#include "core/base/services.h"

#include <string>

namespace quorvex {

// HKEY_CURRENT_USER\Software\Morvane\Quorvex, with QSettings' value forms: texts as REG_SZ (a
// leading "@" doubled, "@Invalid()" for no value), whole numbers as REG_QWORD; REG_DWORD and
// number texts are read as numbers too.
class RegistrySettingsStore final : public SettingsStore {
public:
    // key: under HKEY_CURRENT_USER.
    explicit RegistrySettingsStore(std::wstring key = L"Software\\Morvane\\Quorvex");

    bool contains(const std::string& name) const override;
    std::optional<std::string> text(const std::string& name) const override;
    std::optional<std::int64_t> integer(const std::string& name) const override;
    // A value that cannot be written throws FileError.
    void setText(const std::string& name, const std::string& value) override;
    void setInteger(const std::string& name, std::int64_t value) override;

private:
    std::wstring key_;
};

class WindowsClock final : public Clock {
public:
    Date today() const override;
    std::string shortDate() const override;
    std::string longTime() const override;
};

} // namespace quorvex
