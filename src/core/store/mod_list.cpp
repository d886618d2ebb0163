#include "core/store/mod_list.h"
#include "core/store/data_list.h"

#include <algorithm>
#include <charconv>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace quorvex {

std::string_view modKindWord(ModKind kind)
{
    return ModKindWords[static_cast<std::size_t>(kind)];
}

std::optional<ModKind> modKindByWord(std::string_view word)
{
    for (std::size_t i = 0; i < ModKindWords.size(); ++i)
        if (ModKindWords[i] == word)
            return static_cast<ModKind>(i);
    return std::nullopt;
}

ModEntry* ModList::numbered(long number)
{
    return number >= 1 && number <= static_cast<long>(entries.size()) ? &entries[static_cast<std::size_t>(number - 1)] : nullptr;
}

const ModEntry* ModList::numbered(long number) const
{
    return const_cast<ModList*>(this)->numbered(number);
}

namespace {

// mods.txt, by tabs: "O, version, file" per original and "W, version, file" per file as the list
// made it; per entry "E, id, on|off, kind, date, open|closed, name", then "G, version, file" per
// file of its game, "L, version, file" for a level's file, "C, version" for the copy of the mod,
// and "S, area, entry, key, original, value" per thing it sets. A file or name is last, so it may
// hold tabs; values never hold one.
std::vector<std::string> fields(const std::string& line)
{
    std::vector<std::string> out;
    std::size_t start = 0;
    for (std::size_t tab; (tab = line.find('\t', start)) != std::string::npos; start = tab + 1)
        out.push_back(line.substr(start, tab - start));
    out.push_back(line.substr(start));
    return out;
}

// A file the list names: a bare name in the game folder (the originals, the entries' games and
// levels all lie there), never a path.
bool isFileName(const std::string& name)
{
    return !name.empty() && name != "." && name != ".." && name.find_first_of("/\\") == std::string::npos
           && name.find('\0') == std::string::npos;
}

std::optional<ModFile> fileVersion(const std::vector<std::string>& f)
{
    if (f.size() < 3 || !isVersionName(f[1]))
        return std::nullopt;
    // The file is last and may hold tabs.
    std::string file = f[2];
    for (std::size_t i = 3; i < f.size(); ++i)
        file += '\t' + f[i];
    if (!isFileName(file))
        return std::nullopt;
    return ModFile{file, f[1]};
}

std::string oneField(std::string text)
{
    std::replace_if(text.begin(), text.end(), [](char c) { return c == '\t' || c == '\n' || c == '\r'; }, ' ');
    return text;
}

} // namespace

ModList readModList(const fs::path& file)
{
    ModList list;
    DataList data(file);
    std::optional<ModEntry> entry;
    bool damaged = false;
    const auto close = [&] {
        if (entry && !damaged)
            list.entries.push_back(std::move(*entry));
        entry.reset();
        damaged = false;
    };
    for (const auto& [number, line] : data.read()) {
        const auto f = fields(line);
        const auto& kind = f[0];
        if (kind == "E") {
            close();
            ModEntry e;
            const auto [end, error] = std::from_chars(f.size() > 1 ? f[1].data() : nullptr,
                                                      f.size() > 1 ? f[1].data() + f[1].size() : nullptr, e.id);
            const auto modKind = f.size() >= 7 ? modKindByWord(f[3]) : std::nullopt;
            damaged = f.size() < 7 || error != std::errc() || e.id <= 0 || !modKind || (f[2] != "on" && f[2] != "off")
                      || std::any_of(list.entries.begin(), list.entries.end(), [&](const ModEntry& o) { return o.id == e.id; });
            if (!damaged) {
                e.on = f[2] == "on";
                e.kind = *modKind;
                e.date = f[4];
                e.open = f[5] == "open";
                e.name = f[6];
                for (std::size_t i = 7; i < f.size(); ++i)
                    e.name += '\t' + f[i];
                list.lastId = std::max(list.lastId, e.id);
            }
            entry = std::move(e);
        } else if (kind == "O" || kind == "W") {
            close();
            if (const auto v = fileVersion(f))
                (kind == "O" ? list.originals : list.written).push_back(*v);
        } else if (kind == "N") {
            close();
            long last = 0;
            if (f.size() == 2 && std::from_chars(f[1].data(), f[1].data() + f[1].size(), last).ec == std::errc())
                list.lastId = std::max(list.lastId, last);
        } else if (!entry) {
            continue;   // a line of an entry that was never opened
        } else if (kind == "G" || kind == "L") {
            const auto v = fileVersion(f);
            damaged = damaged || !v;
            if (v && kind == "G")
                entry->game.push_back(*v);
            else if (v)
                entry->level = *v;
        } else if (kind == "C") {
            damaged = damaged || f.size() != 2 || !isVersionName(f[1]);
            if (!damaged)
                entry->copy = f[1];
        } else if (kind == "S") {
            damaged = damaged || f.size() != 6 || f[1].empty();
            if (!damaged)
                entry->sets.push_back({f[1], f[2], f[3], f[4], f[5]});
        } else {
            damaged = true;
        }
    }
    close();
    return list;
}

std::string modListText(const ModList& list, const fs::path& gameFolder)
{
    std::ostringstream text;
    text << "# Mod list of the game in " << fs::absolute(gameFolder).string() << '\n';
    text << "N\t" << list.lastId << '\n';
    for (const auto& [file, version] : list.originals)
        text << "O\t" << version << '\t' << file << '\n';
    for (const auto& [file, version] : list.written)
        text << "W\t" << version << '\t' << file << '\n';
    for (const auto& e : list.entries) {
        text << "E\t" << e.id << '\t' << (e.on ? "on" : "off") << '\t' << modKindWord(e.kind) << '\t' << oneField(e.date)
             << '\t' << (e.open ? "open" : "closed") << '\t' << oneField(e.name) << '\n';
        for (const auto& [file, version] : e.game)
            text << "G\t" << version << '\t' << file << '\n';
        if (e.level)
            text << "L\t" << e.level->second << '\t' << e.level->first << '\n';
        if (!e.copy.empty())
            text << "C\t" << e.copy << '\n';
        for (const auto& s : e.sets)
            text << "S\t" << oneField(s.area) << '\t' << oneField(s.entry) << '\t' << oneField(s.key) << '\t'
                 << oneField(s.original) << '\t' << oneField(s.value) << '\n';
    }
    return text.str();
}

std::set<std::string> modListVersions(const ModList& list)
{
    std::set<std::string> versions;
    for (const auto* files : {&list.originals, &list.written})
        for (const auto& [file, version] : *files)
            versions.insert(version);
    for (const auto& e : list.entries) {
        for (const auto& [file, version] : e.game)
            versions.insert(version);
        if (e.level)
            versions.insert(e.level->second);
        if (!e.copy.empty())
            versions.insert(e.copy);
    }
    return versions;
}

} // namespace quorvex
