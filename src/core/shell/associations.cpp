#include "core/shell/associations.h"
#include "core/text/utf8.h"
#include "core/gamefile/game_file.h"

#include <algorithm>
#include <sstream>

namespace fs = std::filesystem;

namespace quorvex {

namespace {

std::vector<std::string> splitLines(std::string_view text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        auto end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        lines.emplace_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

std::string joinLines(const std::vector<std::string>& lines)
{
    std::string text;
    for (const auto& line : lines)
        text += line + '\n';
    return text;
}

std::string_view trimmed(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t' || text.front() == '\r'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r'))
        text.remove_suffix(1);
    return text;
}

bool isSectionHeader(std::string_view line)
{
    line = trimmed(line);
    return line.size() >= 2 && line.front() == '[' && line.back() == ']';
}

// A "key=a;b;" line split into its key and list; nothing for headers, comments and blanks.
struct ListLine {
    std::string key;
    std::vector<std::string> entries;
};
std::optional<ListLine> listLine(std::string_view line)
{
    const auto text = trimmed(line);
    const auto equals = text.find('=');
    if (text.empty() || text.front() == '#' || isSectionHeader(text) || equals == std::string_view::npos)
        return std::nullopt;
    ListLine result{std::string(trimmed(text.substr(0, equals))), {}};
    std::string_view rest = trimmed(text.substr(equals + 1));
    while (!rest.empty()) {
        const auto semicolon = rest.find(';');
        const auto entry = trimmed(rest.substr(0, semicolon));
        if (!entry.empty())
            result.entries.emplace_back(entry);
        rest = semicolon == std::string_view::npos ? std::string_view() : rest.substr(semicolon + 1);
    }
    return result;
}

std::string listText(const ListLine& line)
{
    std::string text = line.key + "=";
    for (const auto& entry : line.entries)
        text += entry + ";";
    return text;
}

std::string readTextFile(const fs::path& file)
{
    std::error_code error;
    if (!fs::is_regular_file(file, error))
        return {};
    const auto bytes = readWholeFile(file);
    return std::string(bytes.begin(), bytes.end());
}

void writeTextFile(const fs::path& file, const std::string& text)
{
    fs::create_directories(file.parent_path());
    writeFileAtomically(file, text);
}

// The desktop entry's quoting of one Exec argument, then the string escape of its backslashes.
std::optional<std::string> execArgument(const std::string& path)
{
    // GLib looks the program up by its Exec argument before expanding "%%", so no path with a
    // percent sign can be written that it loads; a desktop entry holds UTF-8 only.
    if (path.find_first_of("\n\r%") != std::string::npos)
        return std::nullopt;
    try {
        decodeUtf8(path);
    } catch (const Utf8Error&) {
        return std::nullopt;
    }
    const std::string_view reserved = " \t\"'\\><~|&;$*?#()`";
    std::string quoted;
    const bool quote = path.find_first_of(reserved) != std::string::npos;
    for (char c : path) {
        if (quote && (c == '"' || c == '`' || c == '$' || c == '\\'))
            quoted += '\\';
        quoted += c;
    }
    if (quote)
        quoted = '"' + quoted + '"';
    std::string escaped;
    for (char c : quoted)
        escaped += c == '\\' ? std::string("\\\\") : std::string(1, c);
    return escaped;
}

} // namespace

std::optional<std::size_t> associationByWord(std::string_view word)
{
    for (std::size_t k = 0; k < AssociationKinds.size(); ++k)
        if (AssociationKinds[k].word == word)
            return k;
    return std::nullopt;
}

Outcome assignExtensions(FileClassStore& store, AssociationSet kinds, const fs::path& program)
{
    if (kinds.none())
        return Outcome::nothing();
    if (auto problem = store.associate(kinds, program); !problem.empty())
        return Outcome::refused(problem);
    return Outcome::done("Extension(s) assigned");
}

Outcome removeExtensions(FileClassStore& store)
{
    store.removeAssociations();
    return Outcome::done("Associations removed");
}

std::string mimeIconName(const AssociationKind& kind)
{
    std::string name(kind.mimeType);
    std::replace(name.begin(), name.end(), '/', '-');
    return name;
}

std::string mimePackage(AssociationSet kinds)
{
    std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                      "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n";
    for (std::size_t k = 0; k < AssociationKinds.size(); ++k) {
        if (!kinds[k])
            continue;
        const auto& kind = AssociationKinds[k];
        xml += "  <mime-type type=\"" + std::string(kind.mimeType) + "\">\n";
        xml += "    <comment>" + std::string(kind.description) + "</comment>\n";
        xml += "    <icon name=\"" + mimeIconName(kind) + "\"/>\n";
        for (auto extension : kind.extensions)
            if (!extension.empty())
                xml += "    <glob pattern=\"*" + std::string(extension) + "\" weight=\""
                       + std::to_string(fileFormatOf(extension)->globWeight) + "\"/>\n";
        // Magic of priority 90: above 80, so that the desktop's glob-first readers (File::MimeInfo)
        // look at the mark before the globs too.
        std::string magic;
        for (const auto& format : FileFormats)
            if (format.association == kind.word && magic.find(format.magic) == std::string::npos)
                magic += format.magic;
        if (!magic.empty())
            xml += "    <magic priority=\"90\">" + magic + "</magic>\n";
        xml += "  </mime-type>\n";
    }
    return xml + "</mime-info>\n";
}

AssociationSet kindsInPackage(std::string_view package)
{
    AssociationSet kinds;
    for (std::size_t k = 0; k < AssociationKinds.size(); ++k)
        kinds[k] = package.find("type=\"" + std::string(AssociationKinds[k].mimeType) + "\"") != std::string_view::npos;
    return kinds;
}

std::optional<std::string> execProgram(std::string_view entry)
{
    const auto at = entry.find("\nExec=");
    if (at == std::string_view::npos)
        return std::nullopt;
    auto line = entry.substr(at + 6);
    line = line.substr(0, line.find('\n'));
    std::string value;   // the string escapes undone
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (line[i] != '\\' || i + 1 == line.size()) {
            value += line[i];
            continue;
        }
        const char c = line[++i];
        value += c == 's' ? ' ' : c == 'n' ? '\n' : c == 't' ? '\t' : c == 'r' ? '\r' : c;
    }
    std::string program;   // the first argument, unquoted, with "%%" for "%"
    std::size_t i = 0;
    const bool quoted = !value.empty() && value[0] == '"';
    for (i = quoted ? 1 : 0; i < value.size(); ++i) {
        const char c = value[i];
        if (quoted && c == '"')
            return program;
        if (!quoted && c == ' ')
            break;
        if (quoted && c == '\\' && i + 1 < value.size())
            program += value[++i];
        else if (c == '%' && i + 1 < value.size() && value[i + 1] == '%')
            program += value[i++];
        else if (c == '%')
            return std::nullopt;   // a field code in the program's name
        else
            program += c;
    }
    if (quoted)
        return std::nullopt;   // no closing quote
    return program;
}

std::string desktopEntry(AssociationSet kinds, const fs::path& program)
{
    const auto exec = execArgument(program.string());
    if (!exec)
        return {};
    std::string types;
    for (std::size_t k = 0; k < AssociationKinds.size(); ++k)
        if (kinds[k])
            types += std::string(AssociationKinds[k].mimeType) + ";";
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Name=Quorvex\n"
           "GenericName=Torlo Mod Manager\n"
           "Comment=Install and edit levels, graphics, sounds, palettes, weapons and translations of Torlo\n"
           "Exec=" + *exec + " %f\n"
           "Icon=" + std::string(ProgramIconName) + "\n"
           "Terminal=false\n"
           "Categories=Game;\n"
           "MimeType=" + types + "\n";
}

std::string withDefaults(std::string_view mimeapps, const std::vector<std::string>& types, std::string_view desktopId)
{
    auto lines = splitLines(mimeapps);
    constexpr std::string_view Section = "[Default Applications]";
    auto header = std::find_if(lines.begin(), lines.end(), [&](const std::string& l) { return trimmed(l) == Section; });
    if (header == lines.end()) {
        if (!lines.empty() && !trimmed(lines.back()).empty())
            lines.emplace_back();
        lines.emplace_back(Section);
        header = lines.end() - 1;
    }
    const auto begin = static_cast<std::size_t>(header - lines.begin()) + 1;
    std::size_t end = begin;
    while (end < lines.size() && !isSectionHeader(lines[end]))
        ++end;
    std::vector<std::string> added;
    for (const auto& type : types) {
        ListLine wanted{type, {std::string(desktopId)}};
        bool found = false;
        for (std::size_t i = begin; i < end && !found; ++i) {
            auto line = listLine(lines[i]);
            if (!line || line->key != type)
                continue;
            for (auto& entry : line->entries)
                if (entry != desktopId)
                    wanted.entries.push_back(entry);   // the others stay as fallbacks
            lines[i] = listText(wanted);
            found = true;
        }
        if (!found)
            added.push_back(listText(wanted));
    }
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(begin), added.begin(), added.end());
    return joinLines(lines);
}

std::string withoutApplication(std::string_view mimeapps, std::string_view desktopId)
{
    std::vector<std::string> kept;
    for (auto& text : splitLines(mimeapps)) {
        auto line = listLine(text);
        if (!line || std::find(line->entries.begin(), line->entries.end(), desktopId) == line->entries.end()) {
            kept.push_back(std::move(text));
            continue;
        }
        std::erase(line->entries, std::string(desktopId));
        if (!line->entries.empty())
            kept.push_back(listText(*line));
    }
    return joinLines(kept);
}

// --- FreedesktopClassStore -----------------------------------------------------------------

FreedesktopClassStore::FreedesktopClassStore(DesktopFolders folders, ToolRunner runTool)
    : folders_(std::move(folders)), runTool_(std::move(runTool))
{
}

fs::path FreedesktopClassStore::mimePackageFile() const
{
    return folders_.dataHome / "mime" / "packages" / "quorvex.xml";
}

fs::path FreedesktopClassStore::desktopFile() const
{
    return folders_.dataHome / "applications" / std::string(DesktopId);
}

fs::path FreedesktopClassStore::mimeAppsFile() const
{
    return folders_.configHome / "mimeapps.list";
}

fs::path FreedesktopClassStore::iconFile(std::string_view iconName) const
{
    const char* context = iconName == ProgramIconName ? "apps" : "mimetypes";
    return folders_.dataHome / "icons" / "hicolor" / "scalable" / context / (std::string(iconName) + ".svg");
}

std::string FreedesktopClassStore::associate(AssociationSet kinds, const fs::path& program)
{
    // Kinds chosen before stay registered: the package and the entry hold both.
    const auto all = kinds | kindsInPackage(readTextFile(mimePackageFile()));
    const auto entry = desktopEntry(all, program);
    if (entry.empty())
        return "The program's path cannot be written into a desktop entry: " + program.string();
    writeTextFile(mimePackageFile(), mimePackage(all));
    writeTextFile(desktopFile(), entry);
    writeTextFile(iconFile(ProgramIconName), std::string(iconSvg(ProgramIconName)));
    std::vector<std::string> types;
    for (std::size_t k = 0; k < AssociationKinds.size(); ++k) {
        if (!kinds[k])
            continue;
        const auto icon = mimeIconName(AssociationKinds[k]);
        writeTextFile(iconFile(icon), std::string(iconSvg(icon)));
        types.emplace_back(AssociationKinds[k].mimeType);
    }
    writeTextFile(mimeAppsFile(), withDefaults(readTextFile(mimeAppsFile()), types, DesktopId));
    refreshDatabases();
    if (execProgram(readTextFile(desktopFile())) != program.string())
        return "The desktop entry written cannot start " + program.string() + ": " + desktopFile().string();
    for (const auto& type : types) {
        auto answer = runTool_ ? runTool_({"xdg-mime", "query", "default", type}) : std::nullopt;
        if (!answer)
            break;   // no xdg-mime to ask
        while (!answer->empty() && (answer->back() == '\n' || answer->back() == ' '))
            answer->pop_back();
        if (*answer != DesktopId)
            return "The desktop does not open " + type + " with Quorvex: xdg-mime names \"" + *answer + "\"";
    }
    return {};
}

void FreedesktopClassStore::removeAssociations()
{
    std::error_code ignored;   // what is not there needs no removing
    fs::remove(mimePackageFile(), ignored);
    fs::remove(desktopFile(), ignored);
    fs::remove(iconFile(ProgramIconName), ignored);
    for (const auto& kind : AssociationKinds)
        fs::remove(iconFile(mimeIconName(kind)), ignored);
    if (fs::exists(mimeAppsFile(), ignored))
        writeTextFile(mimeAppsFile(), withoutApplication(readTextFile(mimeAppsFile()), DesktopId));
    refreshDatabases();
}

void FreedesktopClassStore::refreshDatabases()
{
    if (!runTool_)
        return;
    runTool_({"update-mime-database", (folders_.dataHome / "mime").string()});
    runTool_({"update-desktop-database", (folders_.dataHome / "applications").string()});
}

} // namespace quorvex
