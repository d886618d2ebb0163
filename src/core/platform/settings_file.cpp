#include "core/platform/settings_file.h"
#include "core/text/utf8.h"

#include <algorithm>
#include <charconv>
#include <fstream>
#include <iterator>
#include <vector>

namespace fs = std::filesystem;

namespace quorvex {

// The reader follows QSettings' own INI parser step by step (Qt 6, qsettings.cpp: readIniLine,
// readIniFile, iniUnescapedKey, iniUnescapedStringList, stringToVariant), so that every quirk
// of it (a ';' ending an unquoted value, escapes keeping the blanks before them, a list
// read as text giving "") holds here as well.
namespace {

constexpr auto None = std::string_view::npos;

bool isLineSpace(char c) { return c == '\t' || c == '\n' || c == '\r' || c == ' '; }
bool isSpecial(char c) { return c == '\n' || c == '\r' || c == '"' || c == ';' || c == '=' || c == '\\'; }
// What QByteArray::trimmed and the number conversions take as blanks.
bool isAsciiSpace(char32_t c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

struct Line {
    std::size_t start = 0, length = 0, equals = None;
};

// The next logical line from pos: a line ends at an unquoted line end or ';' (a comment, which
// the next call skips); '\' and quotes carry it over line ends.
bool readLine(std::string_view data, std::size_t& pos, Line& line)
{
    const auto size = data.size();
    bool inQuotes = false;
    line.equals = None;
    auto start = pos;
    while (start < size && isLineSpace(data[start]))
        ++start;
    auto i = start;
    bool ended = false;
    while (i < size && !ended) {
        const char ch = data[i++];
        if (!isSpecial(ch))
            continue;
        if (ch == '=') {
            if (!inQuotes && line.equals == None)
                line.equals = i - 1;
        } else if (ch == '\n' || ch == '\r') {
            if (i == start + 1) {
                ++start;
            } else if (!inQuotes) {
                --i;
                ended = true;
            }
        } else if (ch == '\\') {
            if (i < size) {
                const char escaped = data[i++];
                if (i < size) {
                    const char next = data[i];
                    if ((escaped == '\n' && next == '\r') || (escaped == '\r' && next == '\n'))
                        ++i;
                }
            }
        } else if (ch == '"') {
            inQuotes = !inQuotes;
        } else {   // ';'
            if (i == start + 1) {
                while (i < size && data[i] != '\n' && data[i] != '\r')
                    ++i;
                while (i < size && isLineSpace(data[i]))
                    ++i;
                start = i;
            } else if (!inQuotes) {
                --i;
                ended = true;
            }
        }
    }
    pos = i;
    line.start = start;
    line.length = i - start;
    return line.length > 0;
}

std::optional<unsigned> hexValue(std::string_view digits)
{
    unsigned value = 0;
    for (const char c : digits) {
        const auto lower = static_cast<char>(c | 0x20);
        if (c >= '0' && c <= '9')
            value = value * 16 + unsigned(c - '0');
        else if (lower >= 'a' && lower <= 'f')
            value = value * 16 + unsigned(lower - 'a' + 10);
        else
            return std::nullopt;
    }
    return value;
}

// The digits of a key escape as QString::toUShort(&ok, 16) takes them: blanks around, a '+',
// a "0x".
std::optional<unsigned> escapeValue(std::string_view digits)
{
    while (!digits.empty() && isAsciiSpace(char32_t(digits.front())))
        digits.remove_prefix(1);
    while (!digits.empty() && isAsciiSpace(char32_t(digits.back())))
        digits.remove_suffix(1);
    if (!digits.empty() && digits.front() == '+')
        digits.remove_prefix(1);
    if (digits.size() > 2 && digits[0] == '0' && (digits[1] | 0x20) == 'x')
        digits.remove_prefix(2);
    return digits.empty() ? std::nullopt : hexValue(digits);
}

// A key of the section with its %XX and %UXXXX escapes undone; nullopt for keys that no
// setting of ours can have: a '\' (a key of a subgroup, "a/b") or a character beyond ASCII.
std::optional<std::string> unescapedKey(std::string_view key)
{
    std::string result;
    for (std::size_t i = 0; i < key.size();) {
        const auto ch = static_cast<unsigned char>(key[i]);
        if (ch >= 0x80 || ch == '\\')
            return std::nullopt;
        if (ch != '%' || i == key.size() - 1) {
            result += static_cast<char>(ch);
            ++i;
            continue;
        }
        auto first = i + 1;
        std::size_t digits = 2;
        if (key[first] == 'U') {
            ++first;
            digits = 4;
        }
        const auto value = first + digits <= key.size() ? escapeValue(key.substr(first, digits)) : std::nullopt;
        if (!value) {
            result += '%';
            ++i;
            continue;
        }
        if (*value >= 0x80 || *value == '/')
            return std::nullopt;
        result += static_cast<char>(*value);
        i = first + digits;
    }
    return result;
}

// A value as QSettings holds it before it becomes a QVariant: UTF-16, one text or a list.
struct RawValue {
    std::vector<std::u16string> list;   // two or more entries for a list
    std::u16string text;
    bool isList = false;
    bool wellFormed = true;   // false for malformed UTF-8, which Qt replaces its own way
};

void appendUtf16(std::u16string& out, std::string_view utf8, bool& wellFormed)
{
    try {
        for (const char32_t c : decodeUtf8(utf8)) {
            if (c < 0x10000) {
                out += static_cast<char16_t>(c);
            } else {
                out += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
                out += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
            }
        }
    } catch (const Utf8Error&) {
        wellFormed = false;
    }
}

void chopTrailingBlanks(std::u16string& text, std::size_t limit)
{
    while (text.size() > limit && (text.back() == u' ' || text.back() == u'\t'))
        text.pop_back();
}

RawValue unescapedValue(std::string_view str)
{
    RawValue value;
    auto& current = value.text;
    bool inQuotes = false, currentQuoted = false;
    char16_t escape = 0;
    std::size_t i = 0, chopLimit = 0;
    enum class State { SkipBlanks, StartPlain, Plain, Hex, Octal } state = State::SkipBlanks;
    const auto end = [&] {
        if (value.isList)
            value.list.push_back(current);
        return value;
    };
    for (;;) {
        switch (state) {
        case State::SkipBlanks:
            while (i < str.size() && (str[i] == ' ' || str[i] == '\t'))
                ++i;
            [[fallthrough]];
        case State::StartPlain:
            chopLimit = current.size();   // blanks before an escape or a quote stay
            state = State::Plain;
            break;
        case State::Plain: {
            if (i >= str.size()) {
                if (!currentQuoted)
                    chopTrailingBlanks(current, chopLimit);
                return end();
            }
            const char ch = str[i];
            if (ch == '\\') {
                if (++i >= str.size())
                    return end();
                const char code = str[i++];
                constexpr std::string_view Codes = "abfnrtv\"?'\\", Meanings = "\a\b\f\n\r\t\v\"?'\\";
                if (const auto k = Codes.find(code); k != None) {
                    current += static_cast<char16_t>(Meanings[k]);
                    state = State::StartPlain;
                    break;
                }
                if (code == 'x') {
                    escape = 0;
                    if (i >= str.size())
                        return end();
                    if (hexValue(str.substr(i, 1))) {
                        state = State::Hex;
                        break;
                    }
                } else if (code >= '0' && code <= '7') {
                    escape = static_cast<char16_t>(code - '0');
                    state = State::Octal;
                    break;
                } else if ((code == '\n' || code == '\r') && i < str.size()) {
                    const char next = str[i];
                    if ((next == '\n' || next == '\r') && next != code)
                        ++i;
                }   // any other escaped character is dropped
                chopLimit = current.size();
            } else if (ch == '"') {
                ++i;
                currentQuoted = true;
                inQuotes = !inQuotes;
                if (!inQuotes)
                    state = State::SkipBlanks;
            } else if (ch == ',' && !inQuotes) {
                if (!currentQuoted)
                    chopTrailingBlanks(current, chopLimit);
                value.isList = true;
                value.list.push_back(current);
                current.clear();
                currentQuoted = false;
                ++i;
                state = State::SkipBlanks;
            } else {
                auto j = i + 1;
                while (j < str.size() && str[j] != '\\' && str[j] != '"' && str[j] != ',')
                    ++j;
                appendUtf16(current, str.substr(i, j - i), value.wellFormed);
                i = j;
            }
            break;
        }
        case State::Hex:
        case State::Octal: {
            const bool hex = state == State::Hex;
            if (i >= str.size()) {
                current += escape;
                return end();
            }
            const char ch = str[i];
            const auto digit = hex ? hexValue(str.substr(i, 1))
                                   : ch >= '0' && ch <= '7' ? std::optional<unsigned>(unsigned(ch - '0')) : std::nullopt;
            if (digit) {
                escape = static_cast<char16_t>((escape << (hex ? 4 : 3)) + *digit);
                ++i;
            } else {
                current += escape;
                state = State::StartPlain;
            }
            break;
        }
        }
    }
}

// QString::toStdString: a lone surrogate becomes '?'.
std::string utf8Of(const std::u16string& text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char32_t c = text[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000)
            appendUtf8(out, 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00));
        else if (c >= 0xD800 && c < 0xE000)
            out += '?';
        else
            appendUtf8(out, c);
    }
    return out;
}

// QString::toLongLong and QByteArray::toLongLong: up to the first NUL, ASCII blanks around,
// a sign, decimal digits, within 64 bits.
template <typename Char>
std::optional<std::int64_t> wholeNumber(std::basic_string_view<Char> text)
{
    text = text.substr(0, text.find(Char(0)));
    while (!text.empty() && isAsciiSpace(char32_t(text.front())))
        text.remove_prefix(1);
    while (!text.empty() && isAsciiSpace(char32_t(text.back())))
        text.remove_suffix(1);
    std::string ascii;
    for (const Char c : text) {
        if (char32_t(c) >= 0x80)
            return std::nullopt;
        ascii += static_cast<char>(c);
    }
    const char* first = ascii.data();
    const char* last = first + ascii.size();
    if (first != last && *first == '+' && last - first > 1 && first[1] != '-')
        ++first;
    std::int64_t number = 0;
    const auto [stop, error] = std::from_chars(first, last, number);
    if (error != std::errc() || stop != last)
        return std::nullopt;
    return number;
}

bool startsWith(std::u16string_view text, std::string_view prefix)
{
    return text.size() >= prefix.size() && std::equal(prefix.begin(), prefix.end(), text.begin());
}

// QSettingsPrivate::stringToVariant, as far as text and numbers go.
IniValue settingOf(const RawValue& raw)
{
    IniValue value;
    if (raw.isList) {   // a list read as text: QVariant::toString gives ""
        value.text = "";
        return value;
    }
    std::u16string_view text = raw.text;
    value.readable = raw.wellFormed;
    if (startsWith(text, "@") && text.back() == u')') {
        if (startsWith(text, "@ByteArray(")) {
            std::string bytes;
            for (const char16_t c : text.substr(11, text.size() - 12))
                bytes += c <= 0xFF ? static_cast<char>(c) : '?';
            try {
                decodeUtf8(bytes);
            } catch (const Utf8Error&) {
                value.readable = false;
            }
            value.integer = wholeNumber(std::string_view(bytes));
            value.text = std::move(bytes);
            return value;
        }
        if (startsWith(text, "@String(")) {
            text = text.substr(8, text.size() - 9);
        } else if (text == u"@Invalid()") {
            return value;
        } else {
            for (const auto* form : {"@Variant(", "@DateTime(", "@Rect(", "@Size(", "@Point("})
                if (startsWith(text, form))
                    value.readable = false;
        }
    }
    if (startsWith(text, "@@"))
        text.remove_prefix(1);
    value.text = utf8Of(std::u16string(text));
    value.integer = wholeNumber(text);
    return value;
}

bool isGeneral(std::string_view section)
{
    while (!section.empty() && isAsciiSpace(char32_t(section.front())))
        section.remove_prefix(1);
    while (!section.empty() && isAsciiSpace(char32_t(section.back())))
        section.remove_suffix(1);
    constexpr std::string_view General = "general";
    return section.size() == General.size() &&
           std::equal(section.begin(), section.end(), General.begin(),
                      [](char a, char b) { return (a >= 'A' && a <= 'Z' ? char(a | 0x20) : a) == b; });
}

} // namespace

#ifndef _WIN32
fs::path settingsFile(const Environment& environment)
{
    return userConfigHome(environment) / "Morvane" / "Quorvex.conf";
}
#endif

IniSettings::IniSettings(std::string_view data)
{
    std::size_t pos = data.substr(0, 3) == "\xEF\xBB\xBF" ? 3 : 0;
    bool general = true;   // the keys before any section are of [General]
    Line line;
    while (readLine(data, pos, line)) {
        if (data[line.start] == '[') {
            const auto close = data.find(']', line.start);
            const auto length = close == None || close >= line.start + line.length ? line.length - 1 : close - line.start - 1;
            general = isGeneral(data.substr(line.start + 1, length));
            continue;
        }
        if (!general || line.equals == None)
            continue;
        auto keyEnd = line.equals;
        while (keyEnd > line.start && (data[keyEnd - 1] == ' ' || data[keyEnd - 1] == '\t'))
            --keyEnd;
        const auto key = unescapedKey(data.substr(line.start, keyEnd - line.start));
        if (key)
            values_[*key] = settingOf(unescapedValue(data.substr(line.equals + 1, line.start + line.length - line.equals - 1)));
    }
}

IniSettings IniSettings::read(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return IniSettings(std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()));
}

const IniValue* IniSettings::find(const std::string& name) const
{
    const auto found = values_.find(name);
    return found == values_.end() ? nullptr : &found->second;
}

} // namespace quorvex
