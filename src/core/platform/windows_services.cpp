#include "core/platform/windows_services.h"
#include "core/base/errors.h"

#include <charconv>
#include <optional>
#include <vector>
#include <windows.h>

namespace quorvex {

namespace {

std::wstring wide(const std::string& utf8)
{
    if (utf8.empty())
        return {};
    const int length = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring text(static_cast<std::size_t>(length), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), text.data(), length);
    return text;
}

std::string utf8(const std::wstring& text)
{
    if (text.empty())
        return {};
    const int length =
        ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(length), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(), length, nullptr,
                          nullptr);
    return bytes;
}

// A value as it is stored: its type and bytes; nullopt when it is not there.
struct Stored {
    DWORD type = REG_NONE;
    std::vector<BYTE> bytes;
};

std::optional<Stored> readValue(const std::wstring& key, const std::string& name)
{
    const auto valueName = wide(name);
    DWORD size = 0;
    DWORD type = 0;
    if (::RegGetValueW(HKEY_CURRENT_USER, key.c_str(), valueName.c_str(), RRF_RT_ANY | RRF_NOEXPAND, &type, nullptr,
                       &size) != ERROR_SUCCESS)
        return std::nullopt;
    Stored stored{type, std::vector<BYTE>(size)};
    if (::RegGetValueW(HKEY_CURRENT_USER, key.c_str(), valueName.c_str(), RRF_RT_ANY | RRF_NOEXPAND, &type,
                       stored.bytes.data(), &size) != ERROR_SUCCESS)
        return std::nullopt;
    stored.bytes.resize(size);
    return stored;
}

std::wstring storedText(const Stored& stored)
{
    std::wstring text(reinterpret_cast<const wchar_t*>(stored.bytes.data()), stored.bytes.size() / sizeof(wchar_t));
    if (const auto end = text.find(L'\0'); end != std::wstring::npos)
        text.resize(end);   // REG_MULTI_SZ: its first text
    return text;
}

void writeValue(const std::wstring& key, const std::string& name, DWORD type, const void* bytes, DWORD size)
{
    HKEY opened = nullptr;
    LSTATUS result = ::RegCreateKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                                       &opened, nullptr);
    if (result == ERROR_SUCCESS) {
        result = ::RegSetValueExW(opened, wide(name).c_str(), 0, type, static_cast<const BYTE*>(bytes), size);
        ::RegCloseKey(opened);
    }
    if (result != ERROR_SUCCESS)
        throw FileError("The settings could not be written (error " + std::to_string(result) + ")",
                        "HKEY_CURRENT_USER\\" + utf8(key));
}

} // namespace

RegistrySettingsStore::RegistrySettingsStore(std::wstring key) : key_(std::move(key)) {}

bool RegistrySettingsStore::contains(const std::string& name) const
{
    return readValue(key_, name).has_value();
}

std::optional<std::string> RegistrySettingsStore::text(const std::string& name) const
{
    const auto stored = readValue(key_, name);
    if (!stored)
        return std::nullopt;
    switch (stored->type) {
    case REG_DWORD:
        return std::to_string(*reinterpret_cast<const std::uint32_t*>(stored->bytes.data()));
    case REG_QWORD:
        return std::to_string(*reinterpret_cast<const std::int64_t*>(stored->bytes.data()));
    case REG_SZ:
    case REG_EXPAND_SZ:
    case REG_MULTI_SZ: {
        auto text = utf8(storedText(*stored));
        if (text == "@Invalid()")
            return std::nullopt;
        if (text.starts_with("@@"))
            text.erase(0, 1);
        return text;
    }
    default:
        return std::string(stored->bytes.begin(), stored->bytes.end());
    }
}

std::optional<std::int64_t> RegistrySettingsStore::integer(const std::string& name) const
{
    const auto stored = readValue(key_, name);
    if (stored && stored->type == REG_DWORD && stored->bytes.size() == 4)
        return *reinterpret_cast<const std::uint32_t*>(stored->bytes.data());
    if (stored && stored->type == REG_QWORD && stored->bytes.size() == 8)
        return *reinterpret_cast<const std::int64_t*>(stored->bytes.data());
    const auto asText = text(name);
    if (!asText)
        return std::nullopt;
    std::int64_t number = 0;
    const auto* end = asText->data() + asText->size();
    const auto [stop, error] = std::from_chars(asText->data() + (asText->starts_with('+') ? 1 : 0), end, number);
    if (error != std::errc() || stop != end || asText->empty())
        return std::nullopt;
    return number;
}

void RegistrySettingsStore::setText(const std::string& name, const std::string& value)
{
    const auto stored = wide(value.starts_with('@') ? "@" + value : value);
    writeValue(key_, name, REG_SZ, stored.c_str(), static_cast<DWORD>((stored.size() + 1) * sizeof(wchar_t)));
}

void RegistrySettingsStore::setInteger(const std::string& name, std::int64_t value)
{
    writeValue(key_, name, REG_QWORD, &value, sizeof value);
}

Date WindowsClock::today() const
{
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    return {now.wYear, now.wMonth, now.wDay};
}

std::string WindowsClock::shortDate() const
{
    wchar_t text[128];
    const int length = ::GetDateFormatEx(LOCALE_NAME_USER_DEFAULT, DATE_SHORTDATE, nullptr, nullptr, text, 128, nullptr);
    return length > 0 ? utf8(std::wstring(text, static_cast<std::size_t>(length - 1))) : std::string();
}

std::string WindowsClock::longTime() const
{
    wchar_t text[128];
    const int length = ::GetTimeFormatEx(LOCALE_NAME_USER_DEFAULT, 0, nullptr, nullptr, text, 128);
    return length > 0 ? utf8(std::wstring(text, static_cast<std::size_t>(length - 1))) : std::string();
}

} // namespace quorvex
