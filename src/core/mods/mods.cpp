#include "core/mods/mods.h"
#include "core/base/errors.h"
#include "core/base/extension.h"
#include "core/browser/archive.h"
#include "core/formats/file_formats.h"
#include "core/gamefile/game_file.h"
#include "core/gamefile/game_lock.h"
#include "core/os/files.h"
#include "core/store/backups.h"
#include "core/store/history.h"
#include "core/store/game_change.h"
#include "core/store/profiles.h"
#include "core/text/sha256.h"
#include "core/text/key_value.h"

#include <algorithm>
#include <map>
#include <optional>
#include <set>
#include <stdexcept>
#include <tuple>

namespace fs = std::filesystem;

namespace quorvex {

namespace {

constexpr const char* EditsName = "Edits";
constexpr const char* OutsideName = "Changes made outside Quorvex";
constexpr const char* BeforeName = "Changes from before the list";

// A folder of the temp folder, removed with the object.
struct ScratchFolder {
    fs::path path;
    explicit ScratchFolder(const Workspace& workspace)
        : path(os::makeUniqueFolder(workspace.tempFolder / "quorvex-mods-"))
    {
        if (path.empty())
            throw FileError("Could not make a folder in " + workspace.tempFolder.string() + " for the mod list");
    }
    ~ScratchFolder()
    {
        std::error_code error;
        fs::remove_all(path, error);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    fs::path folder(const std::string& name) const
    {
        const auto made = path / name;
        fs::create_directories(made);
        return made;
    }
};

// The game beside its scratch copy: the keeper of its store and list, its files as they are.
struct GameState {
    const Workspace& workspace;
    BackupKeeper keeper;
    VersionStore store;
    std::vector<fs::path> files;   // torlo.exe, torlo.dat, TORLO.CHR, TORLO.SND as found

    explicit GameState(const Workspace& w)
        : workspace(w), keeper(w), store(keeper.store()),
          files{w.existingTorloExe(), w.torloDat(), w.torloChr(), w.torloSnd()}
    {
    }
    std::string key(const fs::path& file) const { return file.filename().string(); }

    // A version's bytes, checked by the store once per operation: a rebuild lays the same
    // versions out for many entries.
    const Bytes& bytesOf(const std::string& version, const std::string& file) const
    {
        const auto found = verified.find(version);
        if (found != verified.end())
            return found->second;
        return verified.emplace(version, store.get(version, file)).first->second;
    }

private:
    mutable std::map<std::string, Bytes> verified;
};

std::optional<Bytes> bytesIfAny(const fs::path& path)
{
    std::error_code error;
    if (!fs::is_regular_file(path, error))
        return std::nullopt;
    return readWholeFile(path);
}

// The versions of the game files in a folder; with `keep`, each is kept in the store (as its
// differences from the file's version in `base` when there is one).
enum class Keep { No, Yes };
std::vector<ModFile> versionsIn(const GameState& game, const fs::path& folder, Keep keep,
                                    const std::vector<ModFile>& base = {})
{
    std::vector<ModFile> versions;
    for (const auto& file : game.files) {
        const auto name = game.key(file);
        if (const auto bytes = bytesIfAny(findGameFile(folder, name))) {
            const auto from = std::find_if(base.begin(), base.end(), [&](const ModFile& b) { return b.first == name; });
            versions.emplace_back(name, keep == Keep::No ? sha256Hex(*bytes)
                                                         : game.store.put(*bytes, from != base.end() ? from->second : std::string()));
        }
    }
    return versions;
}

// Versions as files of a folder, each checked by the store (a damaged one raises the FileError
// that names its file). `there`: the versions the folder holds already, which are not written
// again; it is updated.
void layOut(const GameState& game, const std::vector<ModFile>& files, const fs::path& folder,
            std::vector<ModFile>* there = nullptr)
{
    for (const auto& [file, version] : files)
        if (!there || std::find(there->begin(), there->end(), ModFile{file, version}) == there->end())
            writeFileAtomically(folder / file, game.bytesOf(version, file), Durability::Cached);
    if (!there)
        return;
    for (const auto& held : *there)
        if (std::none_of(files.begin(), files.end(), [&](const ModFile& f) { return f.first == held.first; })) {
            std::error_code error;
            if (fs::remove(folder / held.first, error); error)
                throw FileError("Could not remove " + os::textOf(folder / held.first) + " for the mod list");
        }
    *there = files;
}

Workspace scratchGame(const Workspace& workspace, const fs::path& folder)
{
    Workspace scratch = workspace;
    scratch.gameFolder = folder;
    return scratch;
}

ModSet setOf(const Change& change)
{
    return {std::string(areaWord(change.area)), change.entry, change.key, change.before, change.after};
}

ModEntry newEntry(const GameState& game, ModList& list, ModKind kind, std::string name)
{
    ModEntry entry;
    entry.id = ++list.lastId;
    entry.kind = kind;
    entry.name = std::move(name);
    entry.date = dateText(game.keeper.now());
    return entry;
}

// --- what no entry explains ----------------------------------------------------------------

// The versions of the game files that Quorvex itself last made: for each file, the version after
// the newest step of the history that is not undone, when it is not the list's own.
std::vector<ModFile> lastWrittenByQuorvex(const GameState& game, const ModList& list)
{
    std::vector<ModFile> made = list.written;
    std::set<std::string> seen;
    for (const auto& step : History(game.keeper).steps()) {
        if (step.undone)
            continue;
        for (const auto& f : step.files) {
            if (!seen.insert(f.file).second)
                continue;
            for (auto& [file, version] : made)
                if (sameNameIgnoringCase(file, f.file) && !f.after.empty())
                    version = f.after;
        }
    }
    return made;
}

// The changes from one set of versions to another, field by field.
std::vector<Change> changesBetween(const GameState& game, const ScratchFolder& scratch, const std::vector<ModFile>& from,
                                   const std::vector<ModFile>& to, const std::string& name)
{
    const auto before = scratch.folder(name + "-before"), after = scratch.folder(name + "-after");
    layOut(game, from, before);
    layOut(game, to, after);
    return compareGames(scratchGame(game.workspace, after), ComparedGame::folder(game.workspace, before));
}

void addChanges(ModEntry& entry, const std::vector<Change>& changes)
{
    for (const auto& change : changes) {
        auto set = setOf(change);
        const auto same = std::find_if(entry.sets.begin(), entry.sets.end(), [&](const ModSet& s) { return s.sameField(set); });
        if (same == entry.sets.end())
            entry.sets.push_back(std::move(set));
        else
            same->value = set.value;   // the field's value before the entry stays
    }
}

// Makes the list's originals on first use (the keeper's original copies, else the files as they
// are), then turns what differs from the versions the list last made into entries on top: what
// Quorvex's editors saved since into "Edits" (joining an open one on top), anything else into an
// outside entry; before the list's first entry, all of it is what came before the list.
void explainChanges(const GameState& game, ModList& list)
{
    const bool starting = list.originals.empty();
    if (!starting && versionsIn(game, game.workspace.gameFolder, Keep::No) == list.written)
        return;   // the usual case, read without writing anything
    ScratchFolder scratch(game.workspace);
    const auto now = versionsIn(game, game.workspace.gameFolder, Keep::Yes);
    if (starting) {
        const auto backups = game.keeper.list();
        for (const auto& [file, version] : now) {
            std::string original = version;
            for (const auto& backup : backups)
                if (backup.original && !backup.version.empty() && sameNameIgnoringCase(backup.file, file))
                    original = backup.version;
            list.originals.emplace_back(file, original);
        }
        list.written = list.originals;
    }
    if (now == list.written)
        return;
    if (starting) {
        auto entry = newEntry(game, list, ModKind::Before, BeforeName);
        addChanges(entry, changesBetween(game, scratch, list.written, now, "before"));
        entry.game = now;
        list.entries.push_back(std::move(entry));
        list.written = now;
        return;
    }
    auto quorvex = lastWrittenByQuorvex(game, list);
    try {
        for (const auto& [file, version] : quorvex)
            game.bytesOf(version, file);
    } catch (const FileError&) {
        quorvex = list.written;   // a step's version is gone: all of it counts as made elsewhere
    }
    if (quorvex != list.written) {
        const auto changes = changesBetween(game, scratch, list.written, quorvex, "edits");
        const bool joins = !list.entries.empty() && list.entries.back().kind == ModKind::Edits
                           && list.entries.back().open && list.entries.back().on;
        if (!joins) {
            auto entry = newEntry(game, list, ModKind::Edits, EditsName);
            entry.open = true;
            list.entries.push_back(std::move(entry));
        }
        addChanges(list.entries.back(), changes);
        list.entries.back().game = quorvex;
    }
    if (now != quorvex) {
        auto entry = newEntry(game, list, ModKind::Outside, OutsideName);
        addChanges(entry, changesBetween(game, scratch, quorvex, now, "outside"));
        entry.game = now;
        list.entries.push_back(std::move(entry));
    }
    list.written = now;
}

// --- putting the game in place -------------------------------------------------------------

// The game files of `made` (a scratch game) that differ from the game's, and the levels of the
// switched-on entries, replaced together with the list; the list last, so that a failure
// anywhere leaves the list and the files as they were. Returns the parts changed and the files.
struct Replaced {
    GameParts parts;
    std::vector<std::string> files;
};

Replaced putInPlace(const GameState& game, ModList& list, const fs::path& made)
{
    std::vector<Replacement> puts;
    Replaced replaced;
    const auto add = [&](const fs::path& path, Bytes wanted) {
        auto now = bytesIfAny(path);
        if (now == wanted)
            return;
        replaced.parts |= gamePartsIn(path, game.workspace.gameFolder);
        replaced.files.push_back(path.filename().string());
        puts.push_back({path, std::move(now), std::move(wanted)});
    };
    list.written.clear();
    for (const auto& file : game.files) {
        // A file that the scratch game lacks was neither an original nor set by an entry: left alone.
        if (auto bytes = bytesIfAny(findGameFile(made, game.key(file)))) {
            list.written.emplace_back(game.key(file), sha256Hex(*bytes));
            add(file, std::move(*bytes));
        }
    }
    std::map<std::string, std::string> levels;   // the later entry's file wins
    for (const auto& entry : list.entries)
        if (entry.on && entry.level)
            levels[entry.level->first] = entry.level->second;
    for (const auto& [file, version] : levels)
        add(findGameFile(game.workspace.gameFolder, file), game.bytesOf(version, file));

    const auto listFile = game.keeper.modListFile();
    fs::create_directories(listFile.parent_path());
    const auto text = modListText(list, game.workspace.gameFolder);
    puts.push_back({listFile, bytesIfAny(listFile), Bytes(text.begin(), text.end())});
    replaceAllOrNothing(puts);
    return replaced;
}

// The changes of a scratch game, which is thrown away: every save is staged in memory and each
// file written once at the end, unflushed, with no backup, journal or step of its own (the
// rebuilt files become the game's through the operation's own change).
class ScratchChanges : public FileChangeObserver {
public:
    explicit ScratchChanges(const GameState& game, fs::path folder)
        : game_(game), folder_(std::move(folder)), files_(std::in_place, folder_, *this)
    {
    }
    bool concerns(const fs::path& path) const override { return path.parent_path() == folder_; }
    void beforeChange(const fs::path&) override {}
    void replacing(const fs::path&, const fs::path&) override {}
    void replaced(const fs::path&) override {}
    bool durable() const override { return false; }

    void commit()
    {
        std::vector<std::shared_ptr<StagedFile>> staged;
        for (const auto& file : game_.files)
            if (auto found = files_->stagedIfAny(findGameFile(folder_, game_.key(file))); found && found->dirty)
                staged.push_back(std::move(found));
        files_.reset();   // the files are written as plain files, no longer staged
        for (const auto& file : staged)
            writeFileAtomically(file->path, file->bytes, Durability::Cached);
    }

private:
    const GameState& game_;
    fs::path folder_;
    std::optional<FileChanges> files_;
};

// The game as its originals plus the effects of the switched-on entries, in order, each
// replayed toward the entry's own game through the editors' saves; in scratch/game.
fs::path rebuild(const GameState& game, const ModList& list, const ScratchFolder& scratch)
{
    const auto made = scratch.folder("game");
    layOut(game, list.originals, made);
    Workspace target = scratchGame(game.workspace, made);
    target.dataFolder = scratch.folder("data");
    ScratchChanges change(game, made);
    // The entries' games take turns in one folder, each file written when its version changes.
    const auto entryGame = scratch.folder("entry");
    std::vector<ModFile> inEntryGame;
    long number = 0;
    for (const auto& entry : list.entries) {
        ++number;
        if (!entry.on)
            continue;
        std::vector<Change> changes;
        for (const auto& set : entry.sets) {
            const auto area = areaByWord(set.area);
            if (!area)
                throw FileError("The mod list is damaged: entry " + std::to_string(number) + " sets " + set.area);
            // A save puts back the BEFORE of a change, from the game it is given: the entry's.
            changes.push_back({*area, set.entry, set.key, set.value, set.value});
        }
        if (changes.empty())
            continue;
        layOut(game, entry.game, entryGame, &inEntryGame);
        const auto reports = revertChanges(target, ComparedGame::folder(target, entryGame), changes);
        for (const auto& report : reports)
            if (report.kind == Outcome::Kind::Refused)
                throw FileError("Mod " + std::to_string(number) + " (" + entry.name + ") could not be applied: " + report.status);
    }
    change.commit();
    return made;
}

// A change of the list that can not be made, refused before anything is written.
struct Refusal : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Runs a change of the list: checks the number, explains what is new on disk, changes the
// list, rebuilds and puts the game in place, all under the game's lock; nothing is written
// when any of it fails.
template <typename Edit>
Outcome changeList(const Workspace& workspace, long number, Edit changeEntries)
{
    const GameLock lock(workspace);
    lock.requireHeld();
    const GameState game(workspace);
    auto list = readModList(game.keeper.modListFile());
    try {
        // What is new on disk joins the list first, so the numbers are those the list shows.
        if (!list.originals.empty())
            explainChanges(game, list);
        if (!list.numbered(number))
            return Outcome::refused("There is no mod " + std::to_string(number) + " in the list (1 to "
                                    + std::to_string(list.entries.size()) + ")");
        const auto text = changeEntries(list);
        if (text.empty())
            return Outcome::nothing();
        ScratchFolder scratch(workspace);
        const auto made = rebuild(game, list, scratch);
        const auto replaced = putInPlace(game, list, made);
        const auto status = text + (replaced.files.empty() ? std::string() : " (" + fileNames(replaced.files) + ")");
        return Outcome::done(status, status).changing(replaced.parts);
    } catch (const Refusal& refusal) {
        return Outcome::refused(refusal.what());
    } catch (const FileError& failure) {
        return Outcome::refused(std::string(failure.what()) + ", so nothing was changed");
    }
}

std::string described(const ModEntry& entry, long number)
{
    return "Mod " + std::to_string(number) + " (" + entry.name + ")";
}

// The kind of entry a format's activation makes, by what it changes.
std::optional<ModKind> modKindOf(const FileFormat& format)
{
    const auto parts = format.changes;
    if (parts.has(GamePart::Level))
        return ModKind::Level;
    if (parts.has(GamePart::Graphics))
        return ModKind::Graphics;
    if (parts.has(GamePart::Sounds))
        return ModKind::Sounds;
    if (parts.has(GamePart::Weapons))
        return ModKind::Plugin;
    if (parts.has(GamePart::Texts))
        return ModKind::Translation;
    if (parts.has(GamePart::Palette))
        return ModKind::Palette;
    return std::nullopt;
}

// What a mod sets, named as the changes view names it, with the originals' values: every field
// of the areas it writes whole (a palette, a level's name, a whole file), the keys of a
// plugin's records whatever the game held, the texts a translation changed.
std::vector<ModSet> setsOfMod(const GameState& game, ModKind kind, const Activation& activation,
                              const Workspace& installed, const ComparedGame& originals)
{
    std::vector<ChangeArea> every;
    switch (kind) {
    case ModKind::Level:
        every = {ChangeArea::Level};
        if (activation.paletteChanged)
            every.push_back(ChangeArea::Palette);
        if (activation.materialsChanged)
            every.push_back(ChangeArea::Material);
        break;
    case ModKind::Graphics: every = {ChangeArea::Graphics}; break;
    case ModKind::Sounds: every = {ChangeArea::Sound}; break;
    case ModKind::Palette: every = {ChangeArea::Palette}; break;
    case ModKind::Plugin: every = {ChangeArea::Weapon, ChangeArea::Object, ChangeArea::SObject}; break;
    default: break;
    }
    std::vector<Change> changed;   // a translation's: what it changed in the game as it was
    if (kind == ModKind::Translation)
        changed = compareGames(installed, ComparedGame::folder(game.workspace, game.workspace.gameFolder));
    const auto isSet = [&](const Change& change) {
        switch (kind) {
        case ModKind::Sounds: return change.area == ChangeArea::Sound && change.key == "FILE";
        case ModKind::Plugin: {
            const auto recordKind = change.area == ChangeArea::Weapon ? RecordKind::Weapon
                                  : change.area == ChangeArea::Object ? RecordKind::Object
                                                                      : RecordKind::SObject;
            return std::any_of(activation.pluginSet.begin(), activation.pluginSet.end(), [&](const PluginSet& set) {
                return set.kind == recordKind && std::to_string(set.row) == change.entry && withoutColon(set.key) == change.key;
            });
        }
        case ModKind::Translation:
            return change.area == ChangeArea::Text && std::any_of(changed.begin(), changed.end(), [&](const Change& c) {
                       return c.area == change.area && c.entry == change.entry && c.key == change.key;
                   });
        default: return std::find(every.begin(), every.end(), change.area) != every.end();
        }
    };
    if (kind == ModKind::Translation)
        every = {ChangeArea::Text};
    std::vector<ModSet> sets;
    for (const auto& change : compareGames(installed, originals, every))
        if (isSet(change))
            sets.push_back(setOf(change));
    return sets;
}

} // namespace

ModList readGameModList(const Workspace& workspace)
{
    const BackupKeeper keeper(workspace);
    std::error_code error;
    if (!fs::exists(keeper.modListFile(), error))
        return {};
    const GameLock lock(workspace);
    auto list = readModList(keeper.modListFile());
    // What the next change of the list will take in (the editors' saves since, changes made
    // elsewhere) is shown already; the list is written only by a change of it.
    try {
        auto explained = list;
        explainChanges(GameState(workspace), explained);
        list = std::move(explained);
    } catch (const FileError&) {
    }
    return list;
}

ModAdded addMod(const fs::path& file, const fs::path& browsedFolder, const Workspace& workspace, const Asker& ask,
                PluginPages* pages, std::string name)
{
    const auto* format = fileFormatOf(upperExtension(file));
    const auto kind = format ? modKindOf(*format) : std::nullopt;
    if (!format || !format->activation || !kind)
        return {activateFile(file, browsedFolder, workspace, ask, pages), 0};
    const GameLock lock(workspace);
    lock.requireHeld();
    const GameState game(workspace);
    auto list = readModList(game.keeper.modListFile());
    try {
        explainChanges(game, list);
        ScratchFolder scratch(workspace);
        // The mod is installed on a copy of the game as it is, so its questions are asked once.
        const auto made = scratch.folder("game");
        layOut(game, list.written, made);
        Workspace target = scratchGame(workspace, made);
        target.dataFolder = scratch.folder("data");
        auto activation = [&] {
            GameChange change(target);
            change.leaveOutOfHistory();   // the scratch game's files are no step of the game's
            auto done = activateFile(file, browsedFolder, target, ask, pages);
            change.commit();
            return done;
        }();
        // A plugin stopped by a bad record keeps the records before it: they are the entry.
        if (!activation.outcome.succeeded() && versionsIn(game, made, Keep::No) == list.written)
            return {std::move(activation), 0};

        const auto originals = scratch.folder("originals");
        layOut(game, list.originals, originals);
        auto entry = newEntry(game, list, *kind, name.empty() ? file.filename().string() : std::move(name));
        entry.sets = setsOfMod(game, *kind, activation, target, ComparedGame::folder(workspace, originals));
        entry.game = versionsIn(game, made, Keep::Yes, list.originals);
        if (*kind == ModKind::Level) {
            const auto level = findGameFile(made, levelNameIn(readWholeFile(findGameFile(made, "torlo.dat"))) + ".LEV");
            if (const auto bytes = bytesIfAny(level))
                entry.level = ModFile{level.filename().string(), game.store.put(*bytes)};
        }
        entry.copy = game.store.put(readWholeFile(file));
        for (auto& earlier : list.entries)
            earlier.open = false;   // an installed mod closes the edits below it
        list.entries.push_back(std::move(entry));
        const auto replaced = putInPlace(game, list, made);
        activation.outcome.changed |= replaced.parts & format->changes;
        return {std::move(activation), static_cast<long>(list.entries.size())};
    } catch (const FileError& failure) {
        return {Activation(Outcome::refused("Mod not activated: " + std::string(failure.what()) + ", so nothing was changed")), 0};
    }
}

std::vector<ModAdded> addModPack(const fs::path& pack, const Workspace& workspace, const Asker& ask)
{
    std::vector<ModAdded> added;
    ScratchFolder scratch(workspace);
    std::vector<std::string> names;
    const auto unpacked = unpackArchive(pack, scratch.path, [](std::string_view) { return true; }, &names);
    if (!unpacked.succeeded()) {
        added.push_back({Activation(unpacked), 0});
        return added;
    }
    for (const auto& name : names) {
        const fs::path file = scratch.path / name;
        const auto* format = fileFormatOf(upperExtension(file));
        if (!format || !format->activation)
            continue;
        added.push_back(addMod(file, file.parent_path(), workspace, ask, nullptr, pack.filename().string() + ": " + name));
        if (!added.back().activation.outcome.succeeded())
            break;
    }
    if (added.empty())
        added.push_back({Activation(Outcome::refused("The archive " + inQuotes(pack.filename()) + " holds no mod")), 0});
    return added;
}

Outcome switchMod(const Workspace& workspace, long number, bool on)
{
    return changeList(workspace, number, [&](ModList& list) {
        auto& entry = *list.numbered(number);
        entry.on = on;
        return described(entry, number) + (on ? " switched on" : " switched off");
    });
}

Outcome moveMod(const Workspace& workspace, long number, long to)
{
    return changeList(workspace, number, [&](ModList& list) {
        if (!list.numbered(to))
            throw Refusal("A mod can be moved to 1 to " + std::to_string(list.entries.size()) + " only");
        const auto from = list.entries.begin() + (number - 1);
        const auto text = described(*from, number) + " moved to " + std::to_string(to);
        auto moved = std::move(*from);
        list.entries.erase(from);
        list.entries.insert(list.entries.begin() + (to - 1), std::move(moved));
        return text;
    });
}

Outcome removeMod(const Workspace& workspace, long number)
{
    return changeList(workspace, number, [&](ModList& list) {
        const auto text = described(*list.numbered(number), number) + " removed";
        list.entries.erase(list.entries.begin() + (number - 1));
        return text;
    });
}

std::vector<Change> modEffect(const ModList& list, long number)
{
    std::vector<Change> effect;
    const auto* entry = list.numbered(number);
    if (!entry)
        return effect;
    for (const auto& set : entry->sets) {
        const auto area = areaByWord(set.area);
        if (!area)
            continue;
        std::string before = set.original;
        for (long below = 1; below < number; ++below) {
            const auto& other = *list.numbered(below);
            if (!other.on)
                continue;
            for (const auto& s : other.sets)
                if (s.sameField(set))
                    before = s.value;
        }
        effect.push_back({*area, set.entry, set.key, before, set.value});
    }
    return effect;
}

std::vector<ModConflict> modConflicts(const ModList& list)
{
    std::vector<ModConflict> conflicts;
    std::map<std::tuple<std::string, std::string, std::string>, std::size_t> byField;
    std::vector<std::vector<std::pair<long, std::string>>> setters;
    std::vector<ModSet> fields;
    long number = 0;
    for (const auto& entry : list.entries) {
        ++number;
        if (!entry.on)
            continue;
        for (const auto& set : entry.sets) {
            const auto [at, added] = byField.try_emplace({set.area, set.entry, set.key}, fields.size());
            if (added) {
                fields.push_back(set);
                setters.emplace_back();
            }
            auto& who = setters[at->second];
            if (who.empty() || who.back().first != number)
                who.emplace_back(number, set.value);
        }
    }
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (setters[i].size() < 2)
            continue;
        ModConflict conflict{fields[i], setters[i].back().first, {}, {}};
        conflict.field.value = setters[i].back().second;
        for (std::size_t j = 0; j + 1 < setters[i].size(); ++j) {
            conflict.others.push_back(setters[i][j].first);
            conflict.values.push_back(setters[i][j].second);
        }
        conflicts.push_back(std::move(conflict));
    }
    return conflicts;
}

} // namespace quorvex
