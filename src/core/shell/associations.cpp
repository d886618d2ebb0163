#include "core/shell/associations.h"
#include "core/text/utf8.h"
#include "core/gamefile/game_file.h"
#include "core/os/files.h"

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

Outcome assignExtensions(FileClassStore& store, AssociationSet kinds, const fs::path& program, bool force)
{
    if (kinds.none())
        return Outcome::nothing();
    const auto result = store.associate(kinds, program, force);
    if (!result.stopped.empty())
        return Outcome::refused(result.stopped);
    if (result.leftAlone.none())
        return Outcome::done("Extension(s) assigned");
    std::string kept;
    for (std::size_t k = 0; k < AssociationKinds.size(); ++k)
        if (result.leftAlone[k])
            kept += (kept.empty() ? "" : ", ") + std::string(AssociationKinds[k].caption);
    return Outcome::done(std::string((kinds & ~result.leftAlone).any() ? "Extension(s) assigned" : "No extension assigned") +
                         "; left with the program you chose for them: " + kept + " (--force gives them to Quorvex)");
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
            if (!extension.empty() && fileFormatOf(extension)->globWeight != NoGlob)
                xml += "    <glob pattern=\"*" + std::string(extension) + "\" weight=\""
                       + std::to_string(fileFormatOf(extension)->globWeight) + "\"/>\n";
        // The game's own marks at priority 90: above 80, so that the desktop's glob-first readers
        // (File::MimeInfo) look at the mark before the globs too.
        std::string magic;
        for (const auto& format : FileFormats)
            if (format.association == kind.word && magic.find(format.magic) == std::string::npos)
                magic += format.magic;
        if (!magic.empty())
            xml += "    <magic priority=\"" + std::to_string(kind.magicPriority) + "\">" + magic + "</magic>\n";
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
    const auto exec = execArgument(os::textOf(program));
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

std::string otherDefault(std::string_view mimeapps, std::string_view type, std::string_view desktopId)
{
    bool inDefaults = false;
    for (const auto& text : splitLines(mimeapps)) {
        if (isSectionHeader(text)) {
            inDefaults = trimmed(text) == "[Default Applications]";
            continue;
        }
        const auto line = listLine(text);
        if (inDefaults && line && line->key == type && !line->entries.empty())
            return line->entries.front() == desktopId ? std::string() : line->entries.front();
    }
    return {};
}

namespace {

// A state kept in a folder: "index" lists each file (F, its content in the file named by the
// number), absent file (A) and folder (D, 1 when it exists), one per line, the path last.
void saveState(const DesktopState& state, const fs::path& folder)
{
    std::string index;
    std::size_t number = 0;
    for (const auto& [path, content] : state.files) {
        const auto text = os::textOf(path);
        if (text.find('\n') != std::string::npos)
            continue;   // cannot be listed; never one of the desktop's own names
        if (content) {
            writeTextFile(folder / std::to_string(number), *content);
            index += "F\t" + std::to_string(number++) + "\t" + text + "\n";
        } else {
            index += "A\t-\t" + text + "\n";
        }
    }
    for (const auto& [path, exists] : state.folders)
        if (os::textOf(path).find('\n') == std::string::npos)
            index += std::string("D\t") + (exists ? "1" : "0") + "\t" + os::textOf(path) + "\n";
    writeTextFile(folder / "index", index);
}

// A damaged line is dropped whole.
DesktopState loadState(const fs::path& folder)
{
    DesktopState state;
    for (const auto& line : splitLines(readTextFile(folder / "index"))) {
        const auto first = line.find('\t');
        const auto second = first == std::string::npos ? first : line.find('\t', first + 1);
        if (second == std::string::npos || second + 1 >= line.size())
            continue;
        const auto kind = line.substr(0, first), field = line.substr(first + 1, second - first - 1);
        const auto path = os::pathFromText(line.substr(second + 1));
        if (kind == "F" && !field.empty() && field.find_first_not_of("0123456789") == std::string::npos &&
            fs::is_regular_file(folder / field))
            state.files[path] = readTextFile(folder / field);
        else if (kind == "A")
            state.files[path] = std::nullopt;
        else if (kind == "D")
            state.folders[path] = field == "1";
    }
    return state;
}

bool isWithin(const fs::path& path, const fs::path& folder)
{
    const auto relative = path.lexically_relative(folder);
    return !relative.empty() && *relative.begin() != "..";
}

} // namespace

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

DesktopState FreedesktopClassStore::currentState() const
{
    DesktopState state;
    std::error_code error;
    const auto mime = folders_.dataHome / "mime";
    const auto icons = folders_.dataHome / "icons" / "hicolor" / "scalable";
    std::vector<fs::path> files{mimeAppsFile(), desktopFile(), folders_.dataHome / "applications" / "mimeinfo.cache",
                                mimePackageFile(), iconFile(ProgramIconName)};
    for (const auto& kind : AssociationKinds)
        files.push_back(iconFile(mimeIconName(kind)));
    for (const auto& folder : {folders_.configHome, folders_.dataHome, folders_.dataHome / "applications", mime,
                               mime / "packages", folders_.dataHome / "icons", icons.parent_path(), icons, icons / "apps",
                               icons / "mimetypes"})
        state.folders[folder] = fs::is_directory(folder, error);
    // update-mime-database writes the whole database under mime/.
    for (fs::recursive_directory_iterator it(mime, error), end; !error && it != end; it.increment(error)) {
        if (it->is_directory(error))
            state.folders[it->path()] = true;
        else
            files.push_back(it->path());
    }
    for (const auto& file : files) {
        if (fs::is_regular_file(file, error))
            state.files[file] = readTextFile(file);
        else
            state.files[file] = std::nullopt;
    }
    return state;
}

AssociationResult FreedesktopClassStore::associate(AssociationSet kinds, const fs::path& program, bool force)
{
    AssociationResult result;
    const auto mimeapps = readTextFile(mimeAppsFile());
    for (std::size_t k = 0; k < AssociationKinds.size(); ++k)
        if (kinds[k] && !force && !otherDefault(mimeapps, AssociationKinds[k].mimeType, DesktopId).empty())
            result.leftAlone.set(k);

    const auto before = currentState();
    try {
        result.stopped = writeAssociations(kinds, kinds & ~result.leftAlone, program);
    } catch (...) {
        putBack(before, {});
        throw;
    }
    if (!result.stopped.empty()) {
        putBack(before, {});
        return result;
    }
    if (folders_.record.empty())
        return result;
    // The first association's record of what was there stays; what this one touched for the
    // first time joins it.
    auto recorded = loadState(folders_.record / "before");
    const auto written = loadState(folders_.record / "after");
    for (const auto& [file, content] : before.files)
        if (!written.files.contains(file))
            recorded.files.emplace(file, content);
    for (const auto& [folder, exists] : before.folders)
        if (!written.folders.contains(folder))
            recorded.folders.emplace(folder, exists);
    saveState(recorded, folders_.record / "before");
    saveState(currentState(), folders_.record / "after");
    return result;
}

std::string FreedesktopClassStore::writeAssociations(AssociationSet kinds, AssociationSet defaults, const fs::path& program)
{
    // Kinds chosen before stay registered: the package and the entry hold both.
    const auto all = kinds | kindsInPackage(readTextFile(mimePackageFile()));
    const auto entry = desktopEntry(all, program);
    if (entry.empty())
        return "The program's path cannot be written into a desktop entry: " + os::textOf(program);
    writeTextFile(mimePackageFile(), mimePackage(all));
    writeTextFile(desktopFile(), entry);
    writeTextFile(iconFile(ProgramIconName), std::string(iconSvg(ProgramIconName)));
    std::vector<std::string> types;
    for (std::size_t k = 0; k < AssociationKinds.size(); ++k) {
        if (!kinds[k])
            continue;
        const auto icon = mimeIconName(AssociationKinds[k]);
        writeTextFile(iconFile(icon), std::string(iconSvg(icon)));
        if (defaults[k])
            types.emplace_back(AssociationKinds[k].mimeType);
    }
    if (!types.empty())
        writeTextFile(mimeAppsFile(), withDefaults(readTextFile(mimeAppsFile()), types, DesktopId));
    refreshDatabases();
    if (execProgram(readTextFile(desktopFile())) != os::textOf(program))
        return "The desktop entry written cannot start " + os::textOf(program) + ": " + os::textOf(desktopFile());
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

void FreedesktopClassStore::putBack(const DesktopState& state, const DesktopState& unlessChangedFrom)
{
    const auto now = currentState();
    const auto mime = folders_.dataHome / "mime";
    const auto cache = folders_.dataHome / "applications" / "mimeinfo.cache";
    std::vector<fs::path> own{mimePackageFile(), desktopFile(), iconFile(ProgramIconName)};
    for (const auto& kind : AssociationKinds)
        own.push_back(iconFile(mimeIconName(kind)));
    bool refreshMime = false, refreshApplications = false;
    std::map<fs::path, std::optional<std::string>> files = state.files;
    for (const auto& [file, content] : now.files)
        files.emplace(file, std::nullopt);   // not there before
    std::error_code ignored;
    for (const auto& [file, wanted] : files) {
        const auto at = now.files.find(file);
        const auto& present = at == now.files.end() ? std::nullopt : at->second;
        const auto written = unlessChangedFrom.files.find(file);
        const bool changedSince = !unlessChangedFrom.files.empty() &&
                                  std::find(own.begin(), own.end(), file) == own.end() &&
                                  present != (written == unlessChangedFrom.files.end() ? std::nullopt : written->second);
        if (changedSince) {
            // Someone else's since: only Quorvex's part goes.
            if (file == mimeAppsFile() && present)
                writeTextFile(file, withoutApplication(*present, DesktopId));
            refreshMime = refreshMime || isWithin(file, mime);
            refreshApplications = refreshApplications || file == cache;
            continue;
        }
        if (present == wanted)
            continue;
        if (wanted)
            writeTextFile(file, *wanted);
        else
            fs::remove(file, ignored);
    }
    if (refreshMime) {
        fs::remove(mimePackageFile(), ignored);
        if (runTool_)
            runTool_({"update-mime-database", os::textOf(mime)});
    }
    if (refreshApplications && runTool_)
        runTool_({"update-desktop-database", os::textOf(folders_.dataHome / "applications")});
    // Folders that were not there go when empty, the deepest first.
    std::map<fs::path, bool> folders = state.folders;
    for (const auto& [folder, exists] : currentState().folders)
        folders.emplace(folder, false);
    for (auto it = folders.rbegin(); it != folders.rend(); ++it)
        if (!it->second && fs::is_directory(it->first, ignored) && fs::is_empty(it->first, ignored))
            fs::remove(it->first, ignored);
}

void FreedesktopClassStore::removeAssociations()
{
    std::error_code ignored;   // what is not there needs no removing
    if (!folders_.record.empty() && fs::exists(folders_.record / "before" / "index", ignored)) {
        putBack(loadState(folders_.record / "before"), loadState(folders_.record / "after"));
        fs::remove_all(folders_.record, ignored);
        return;
    }
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
    runTool_({"update-mime-database", os::textOf(folders_.dataHome / "mime")});
    runTool_({"update-desktop-database", os::textOf(folders_.dataHome / "applications")});
}

} // namespace quorvex
