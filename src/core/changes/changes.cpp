#include "core/changes/changes.h"
#include "core/ai/ai_values.h"
#include "core/formats/activation.h"
#include "core/formats/palette.h"
#include "core/store/backups.h"
#include "core/text/cp437.h"
#include "core/text/key_value.h"
#include "core/base/errors.h"
#include "core/base/places.h"
#include "core/hacks/hacks.h"
#include "core/palette/materials.h"
#include "core/palette/palette_editor.h"
#include "core/os/files.h"
#include "core/shell/blood.h"
#include "core/sound/sound_bank.h"
#include "core/sound/sound_operations.h"
#include "core/texts/game_texts.h"
#include "core/weapons/object_fields.h"
#include "core/weapons/plugin.h"
#include "core/weapons/sobject_fields.h"
#include "core/weapons/weapon_table.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <map>
#include <system_error>
#include <utility>

namespace fs = std::filesystem;

namespace quorvex {

std::string changeLine(const Change& change)
{
    return std::string(areaWord(change.area)) + '\t' + change.entry + '\t' + change.key + '\t' + change.before + '\t'
         + change.after;
}

// --- the compared game -------------------------------------------------------------------

ComparedGame::ComparedGame(ComparedGame&& other) noexcept
    : workspace_(std::move(other.workspace_)), chr_(std::move(other.chr_)), snd_(std::move(other.snd_)),
      laidOut_(std::exchange(other.laidOut_, {}))
{
}

ComparedGame::~ComparedGame()
{
    if (!laidOut_.empty()) {
        std::error_code error;
        fs::remove_all(laidOut_, error);
    }
}

ComparedGame ComparedGame::folder(const Workspace& workspace, const fs::path& folder)
{
    ComparedGame game;
    game.workspace_ = workspace;
    game.workspace_.gameFolder = folder;
    if (!fs::is_regular_file(game.workspace_.torloExe()))
        throw FileError("No game to compare with: torlo.exe was not found in " + os::textOf(folder));
    game.chr_ = game.workspace_.torloChr();
    game.snd_ = game.workspace_.torloSnd();
    return game;
}

ComparedGame ComparedGame::original(const Workspace& workspace)
{
    const BackupKeeper keeper(workspace);
    const auto backups = keeper.list();
    // The original of a game file: its copy marked original, else the file itself.
    const auto originalOf = [&](const fs::path& file) {
        for (const auto& backup : backups)
            if (backup.original && sameNameIgnoringCase(backup.file, os::textOf(file.filename())))
                return backup.copy;
        return file;
    };
    ComparedGame game;
    game.workspace_ = workspace;
    game.laidOut_ = os::makeUniqueFolder(workspace.tempFolder / "quorvex-original-");
    if (game.laidOut_.empty())
        throw FileError("Could not make a folder in " + os::textOf(workspace.tempFolder) + " for the originals");
    game.workspace_.gameFolder = game.laidOut_;
    const auto exe = workspace.existingTorloExe();
    fs::copy_file(originalOf(exe), game.laidOut_ / "torlo.exe");
    if (const auto dat = workspace.torloDat(); fs::exists(dat))
        fs::copy_file(originalOf(dat), game.laidOut_ / "torlo.dat");
    game.chr_ = originalOf(workspace.torloChr());
    game.snd_ = originalOf(workspace.torloSnd());
    return game;
}

namespace {

// --- bytes that fields explain -------------------------------------------------------------

struct FileBytes {
    Bytes before, after;
    std::vector<bool> explained;   // per offset of the longer of the two

    FileBytes(const fs::path& beforeFile, const fs::path& afterFile)
        : before(readOrEmpty(beforeFile)), after(readOrEmpty(afterFile)),
          explained(std::max(before.size(), after.size()), false)
    {
    }
    static Bytes readOrEmpty(const fs::path& file) { return fs::exists(file) ? readWholeFile(file) : Bytes{}; }
    bool same() const { return before == after; }
    bool differs(std::uint64_t offset, std::uint64_t count) const
    {
        const auto end = offset + count;
        if (end > before.size() || end > after.size())
            return before.size() != after.size() && std::max(before.size(), after.size()) > offset;
        return !std::equal(before.begin() + offset, before.begin() + end, after.begin() + offset);
    }
    void explain(std::uint64_t offset, std::uint64_t count)
    {
        for (auto i = offset; i < offset + count && i < explained.size(); ++i)
            explained[i] = true;
    }
};

std::string sizeText(const fs::path& file)
{
    return fs::exists(file) ? std::to_string(fs::file_size(file)) : std::string("-");
}

class Comparison {
public:
    Comparison(const Workspace& current, const ComparedGame& before, std::span<const ChangeArea> every)
        : current_(current), before_(before), every_(every.begin(), every.end()), exe_(before.workspace().torloExe(), current.existingTorloExe()),
          dat_(before.workspace().torloDat(), current.torloDat())
    {
    }

    std::vector<Change> run()
    {
        const auto anyOf = [&](std::initializer_list<ChangeArea> areas) {
            return std::any_of(areas.begin(), areas.end(), [&](ChangeArea a) { return all(a); });
        };
        if (!exe_.same() || anyOf({ChangeArea::Weapon, ChangeArea::Object, ChangeArea::SObject, ChangeArea::Ai,
                                   ChangeArea::Hack, ChangeArea::Text, ChangeArea::Palette, ChangeArea::Material})) {
            weapons();
            table(ChangeArea::Object, ObjectArrays);
            table(ChangeArea::SObject, SObjectArrays);
            ai();
            hacks();
            texts();
            palette();
            materials();
        }
        if (!dat_.same() || anyOf({ChangeArea::Blood, ChangeArea::Level})) {
            blood();
            level();
        }
        graphics();
        sounds();
        unknown(exe_, current_.torloExe());
        unknown(dat_, current_.torloDat());
        return std::move(changes_);
    }

private:
    void add(ChangeArea area, std::string entry, std::string key, std::string before, std::string after)
    {
        changes_.push_back({area, std::move(entry), std::move(key), std::move(before), std::move(after)});
    }

    // A field's change, when its bytes differ and the values shown differ; the bytes are then
    // explained by it (when the values shown are the same, they stay unknown bytes).
    void field(FileBytes& file, std::uint64_t offset, std::uint64_t count, ChangeArea area, std::string entry,
               std::string key, std::string before, std::string after)
    {
        if (before == after && !all(area))
            return;
        if (before != after)
            file.explain(offset, count);
        add(area, std::move(entry), std::move(key), std::move(before), std::move(after));
    }

    bool blockDiffers(std::uint32_t offset, std::uint32_t size) const { return exe_.differs(offset, size); }
    bool all(ChangeArea area) const { return std::find(every_.begin(), every_.end(), area) != every_.end(); }

    void weapons()
    {
        const auto namesAt = places::WeaponNames, namesSize = places::WeaponNameSlot * places::WeaponCount;
        if (!all(ChangeArea::Weapon) && !blockDiffers(namesAt, namesSize) && !blockDiffers(places::WeaponTable, places::WeaponTableSize))
            return;
        const auto before = loadWeapons(before_.workspace()), after = loadWeapons(current_);
        for (int w = 0; w < places::WeaponCount; ++w) {
            const auto slot = namesAt + places::WeaponNameSlot * static_cast<std::uint32_t>(w);
            field(exe_, slot, places::WeaponNameSlot, ChangeArea::Weapon, std::to_string(w), withoutColon(WeaponNameKey),
                  before.names[w], after.names[w]);
            const auto pageBefore = showWeapon(before.table, w), pageAfter = showWeapon(after.table, w);
            for (auto k : fieldsInRecordOrder(WeaponFields)) {
                const auto& f = WeaponFields[k];
                const auto width = static_cast<std::uint32_t>(f.width);
                field(exe_, places::WeaponTable + f.position + width * static_cast<std::uint32_t>(w), width,
                      ChangeArea::Weapon, std::to_string(w), withoutColon(f.pluginKey),
                      recordText(f.kind, pageBefore[k]), recordText(f.kind, pageAfter[k]));
            }
        }
    }

    void table(ChangeArea area, const FieldArrays& fields)
    {
        if (!all(area) && !blockDiffers(fields.offset, fields.size))
            return;
        for (int e = 0; e < fields.entries; ++e) {
            const auto pageBefore = showEntry(before_.workspace(), fields, e), pageAfter = showEntry(current_, fields, e);
            for (auto k : fieldsInRecordOrder(fields.fields)) {
                const auto& f = fields.fields[k];
                const auto width = static_cast<std::uint32_t>(f.width);
                field(exe_, fields.offset + f.position + width * static_cast<std::uint32_t>(e), width, area,
                      std::to_string(e), withoutColon(f.pluginKey), recordText(f.kind, pageBefore[k]),
                      recordText(f.kind, pageAfter[k]));
            }
        }
    }

    void ai()
    {
        const auto width = [](const AiField& f) { return f.store == AiStore::SignedByte ? 1u : 2u; };
        bool any = all(ChangeArea::Ai);
        for (const auto& f : AiFields)
            any = any || blockDiffers(f.offset, width(f));
        if (!any)
            return;
        const auto before = readAiTexts(before_.workspace()), after = readAiTexts(current_);
        for (std::size_t k = 0; k < AiFields.size(); ++k)
            field(exe_, AiFields[k].offset, width(AiFields[k]), ChangeArea::Ai, "-", std::string(AiFields[k].key),
                  before[k], after[k]);
    }

    // Every byte a hack reads or writes: its patches and the places of its field.
    template <typename Visit>
    static void forEachHackByte(const HackItem& item, Visit visit)
    {
        for (const auto* patches : {&item.on, &item.off})
            for (const auto& patch : *patches)
                for (std::uint8_t i = 0; i < patch.count; ++i)
                    visit(patch.offset + i);
        for (const auto& test : item.onWhen)
            for (std::uint8_t i = 0; i < test.count; ++i)
                visit(test.offset + i);
        const bool word = item.read == HackRead::Word || item.read == HackRead::SignedWord || item.write == HackWrite::Word;
        for (auto offset : item.offsets)
            if (offset != 0)
                for (std::uint32_t i = 0; i < (word ? 2u : 1u); ++i)
                    visit(offset + i);
        if (item.read == HackRead::Laser)
            visit(places::HackLaserCheck);
    }

    void hacks()
    {
        bool any = all(ChangeArea::Hack);
        for (const auto& item : HackItems)
            forEachHackByte(item, [&](std::uint32_t at) { any = any || blockDiffers(at, 1); });
        if (!any)
            return;
        const auto before = readHacks(before_.workspace()), after = readHacks(current_);
        for (std::size_t i = 0; i < HackCount; ++i) {
            const auto& item = HackItems[i];
            if (!isListedHack(item))
                continue;
            const auto shown = [&](const HackValues& values) {
                return item.isSwitch ? std::string(values.on[i] ? "1" : "0") : values.text[i];
            };
            if (shown(before) == shown(after)) {
                if (all(ChangeArea::Hack))
                    add(ChangeArea::Hack, "-", std::string(item.key), shown(before), shown(after));
                continue;
            }
            forEachHackByte(item, [&](std::uint32_t at) { exe_.explain(at, 1); });
            add(ChangeArea::Hack, "-", std::string(item.key), shown(before), shown(after));
        }
    }

    void texts()
    {
        if (!all(ChangeArea::Text) && !blockDiffers(places::GameTextsFirst, places::GameTextsLast - places::GameTextsFirst))
            return;
        const auto before = readGameTexts(before_.workspace()), after = readGameTexts(current_);
        for (std::size_t i = 0; i < GameTextCount; ++i) {
            const auto& entry = GameTexts[i];
            if (!entry.use.read || entry.line == 0 || (before[i] == after[i] && !all(ChangeArea::Text)))
                continue;
            if (before[i] != after[i])
                exe_.explain(entry.offset, entry.width);
            if (entry.secondOffset)
                exe_.explain(entry.secondOffset, entry.width);
            add(ChangeArea::Text, std::to_string(entry.line), "TEXT", cp437ToUtf8(before[i]), cp437ToUtf8(after[i]));
        }
    }

    void palette()
    {
        if (!all(ChangeArea::Palette) && !blockDiffers(places::GamePalette, places::PaletteSize))
            return;
        const auto before = loadPalette(before_.workspace()), after = loadPalette(current_);
        const auto rgb = [](const Rgb& c) {
            return std::to_string(c.red) + ' ' + std::to_string(c.green) + ' ' + std::to_string(c.blue);
        };
        for (std::size_t i = 0; i < before.size(); ++i)
            field(exe_, places::GamePalette + 3 * i, 3, ChangeArea::Palette, std::to_string(i), "RGB", rgb(before[i]),
                  rgb(after[i]));
    }

    void materials()
    {
        if (!all(ChangeArea::Material) && !blockDiffers(places::Materials, places::MaterialsSize))
            return;
        const auto before = loadMaterials(before_.workspace()), after = loadMaterials(current_);
        for (std::size_t i = 0; i < 256; ++i) {
            const auto one = [&](std::string key, int was, int is, std::uint32_t firstSet, std::uint32_t sets) {
                if (was == is) {
                    if (all(ChangeArea::Material))
                        add(ChangeArea::Material, std::to_string(i), std::move(key), std::to_string(was), std::to_string(is));
                    return;
                }
                for (auto set = firstSet; set < firstSet + sets; ++set)
                    exe_.explain(places::Materials + set * places::MaterialSetSize + i / 8, 1);
                add(ChangeArea::Material, std::to_string(i), std::move(key), std::to_string(was), std::to_string(is));
            };
            one("KIND", before.kind[i], after.kind[i], 0, 3);
            one("BACKGROUND", before.background[i], after.background[i], 3, 1);
            one("SHADOW", before.shadow[i], after.shadow[i], 4, 1);
        }
    }

    // The amount of blood as torlo.dat holds it: 32 bits, little-endian.
    static std::string bloodText(const Bytes& dat)
    {
        if (dat.size() < places::DatBlood + 4)
            return "-";
        std::int32_t value = 0;
        for (int i = 3; i >= 0; --i)
            value = static_cast<std::int32_t>(static_cast<std::uint32_t>(value) << 8 | dat[places::DatBlood + i]);
        return std::to_string(value);
    }

    void blood()
    {
        field(dat_, places::DatBlood, 4, ChangeArea::Blood, "-", "BLOOD", bloodText(dat_.before), bloodText(dat_.after));
    }

    void level()
    {
        field(dat_, places::DatLevelName, 1 + places::DatLevelNameMax, ChangeArea::Level, "-", "NAME",
              levelNameIn(dat_.before), levelNameIn(dat_.after));
    }

    void graphics()
    {
        const auto after = current_.torloChr();
        if (all(ChangeArea::Graphics) || FileBytes::readOrEmpty(before_.chr()) != FileBytes::readOrEmpty(after))
            add(ChangeArea::Graphics, "-", "FILE", sizeText(before_.chr()), sizeText(after));
    }

    void sounds()
    {
        const auto afterFile = current_.torloSnd();
        const FileBytes file(before_.snd(), afterFile);
        if (file.same() && !all(ChangeArea::Sound))
            return;
        add(ChangeArea::Sound, "-", "FILE", sizeText(before_.snd()), sizeText(afterFile));
        if (file.same() || file.before.empty() || file.after.empty())
            return;
        const auto before = SoundBank::fromBytes(file.before), after = SoundBank::fromBytes(file.after);
        for (int i = 0; i < SoundCount; ++i) {
            const bool intact = before.entry(i).intact && after.entry(i).intact;
            if (intact && std::ranges::equal(before.samples(i), after.samples(i)))
                continue;
            if (!intact && before.entry(i).intact == after.entry(i).intact && before.length(i) == after.length(i))
                continue;
            add(ChangeArea::Sound, std::to_string(i), "SAMPLES", std::to_string(before.length(i)),
                std::to_string(after.length(i)));
        }
    }

    // Differing bytes that no change explains, as ranges of offsets.
    void unknown(const FileBytes& file, const fs::path& path)
    {
        if (file.same())
            return;
        const auto size = file.explained.size();
        const auto differs = [&](std::size_t i) {
            return i >= file.before.size() || i >= file.after.size() || file.before[i] != file.after[i];
        };
        for (std::size_t i = 0; i < size;) {
            if (!differs(i) || file.explained[i]) {
                ++i;
                continue;
            }
            auto last = i;
            while (last + 1 < size && differs(last + 1) && !file.explained[last + 1])
                ++last;
            add(ChangeArea::Unknown, os::textOf(path.filename()), std::to_string(i) + "-" + std::to_string(last), "-", "-");
            i = last + 1;
        }
    }

    const Workspace& current_;
    const ComparedGame& before_;
    std::vector<ChangeArea> every_;
    FileBytes exe_, dat_;
    std::vector<Change> changes_;
};

} // namespace

std::vector<Change> compareGames(const Workspace& current, const ComparedGame& before, std::span<const ChangeArea> every)
{
    return Comparison(current, before, every).run();
}

std::vector<Change> changesNamed(std::span<const Change> changes, ChangeArea area, std::string_view entry,
                                 std::optional<std::string_view> key)
{
    std::vector<Change> named;
    for (const auto& change : changes)
        if (change.area == area && change.entry == entry && (!key || change.key == *key))
            named.push_back(change);
    return named;
}

// --- revert --------------------------------------------------------------------------------

namespace {

int entryNumber(const Change& change)
{
    return std::atoi(change.entry.c_str());
}

class Reverter {
public:
    Reverter(const Workspace& current, const ComparedGame& before) : current_(current), before_(before) {}

    std::vector<Outcome> run(std::span<const Change> changes)
    {
        // Changes may come from a kept list that anyone can edit (the mod list): one that names
        // no field is refused before anything is saved.
        for (const auto& change : changes)
            if (!namesAField(change))
                return {Outcome::refused(std::string(areaWord(change.area)) + " " + change.entry + " " + change.key
                                         + " names no field")};
        for (const auto& row : GameAreas) {
            // The palette and the materials are saved together, once.
            if (row.area == ChangeArea::Material)
                continue;
            std::vector<Change> picked;
            for (const auto& change : changes)
                if (change.area == row.area || (row.area == ChangeArea::Palette && change.area == ChangeArea::Material))
                    picked.push_back(change);
            if (!picked.empty() && !revert(row.area, picked))
                break;
        }
        return std::move(reports_);
    }

private:
    static bool namesAField(const Change& change)
    {
        const int entry = entryNumber(change);
        const auto within = [&](int count) { return entry >= 0 && entry < count; };
        switch (change.area) {
        case ChangeArea::Weapon:
            return isWeaponNumber(entry) && (change.key == withoutColon(WeaponNameKey) || fieldByKey(WeaponFields, change.key));
        case ChangeArea::Object: return isEntryOf(ObjectArrays, entry) && fieldByKey(ObjectArrays.fields, change.key);
        case ChangeArea::SObject: return isEntryOf(SObjectArrays, entry) && fieldByKey(SObjectArrays.fields, change.key);
        case ChangeArea::Ai: return aiFieldByKey(change.key).has_value();
        case ChangeArea::Hack: return hackByKey(change.key).has_value();
        case ChangeArea::Text: return gameTextOfLine(entry) != nullptr;
        case ChangeArea::Palette: return within(256);
        case ChangeArea::Material:
            return within(256) && (change.key == "KIND" || change.key == "BACKGROUND" || change.key == "SHADOW");
        case ChangeArea::Sound: return change.key == "FILE" || within(SoundCount);
        case ChangeArea::Unknown: {
            const auto dash = change.key.find('-');
            std::uint64_t first = 0, last = 0;
            const auto* text = change.key.data();
            return dash != std::string::npos
                   && std::from_chars(text, text + dash, first).ptr == text + dash
                   && std::from_chars(text + dash + 1, text + change.key.size(), last).ptr == text + change.key.size()
                   && first <= last;
        }
        case ChangeArea::Blood:
        case ChangeArea::Level:
        case ChangeArea::Graphics: return true;
        }
        return false;
    }

    // Keeps a save's report; false when it refused (what follows is not reverted).
    bool say(Outcome outcome)
    {
        const bool ok = outcome.kind != Outcome::Kind::Refused;
        reports_.push_back(std::move(outcome));
        return ok;
    }

    bool revert(ChangeArea area, const std::vector<Change>& changes)
    {
        switch (area) {
        case ChangeArea::Weapon: return weapons(changes);
        case ChangeArea::Object: return table(ObjectArrays, changes);
        case ChangeArea::SObject: return table(SObjectArrays, changes);
        case ChangeArea::Ai: return ai(changes);
        case ChangeArea::Hack: return hacks(changes);
        case ChangeArea::Text: return texts(changes);
        case ChangeArea::Palette:
        case ChangeArea::Material: return paletteAndMaterials(changes);
        case ChangeArea::Blood: return say(setBlood(current_, std::atoi(changes.front().before.c_str())));
        case ChangeArea::Level: return level();
        case ChangeArea::Graphics: return wholeFile(before_.chr(), current_.torloChr());
        case ChangeArea::Sound: return sounds(changes);
        case ChangeArea::Unknown: return unknown(changes);
        }
        return true;
    }

    bool weapons(const std::vector<Change>& changes)
    {
        auto data = loadWeapons(current_);
        const auto before = loadWeapons(before_.workspace());
        std::vector<int> renamed;
        for (const auto& change : changes) {
            const int w = entryNumber(change);
            if (change.key == withoutColon(WeaponNameKey)) {
                renamed.push_back(w);
                continue;
            }
            const auto k = *fieldByKey(WeaponFields, change.key);
            auto page = showWeapon(data.table, w);
            page[k] = showWeapon(before.table, w)[k];
            copyPageToTable(data.table, w, page);
        }
        for (int w : renamed)
            if (!say(renameWeapon(current_, data.names, w, before.names[w])))
                return false;
        return say(saveWeapons(current_, data.table));
    }

    // Each entry: its page as shown, the changed fields set to what the compared game shows, saved.
    bool table(const FieldArrays& fields, const std::vector<Change>& changes)
    {
        std::map<int, std::vector<std::size_t>> byEntry;
        for (const auto& change : changes)
            byEntry[entryNumber(change)].push_back(*fieldByKey(fields.fields, change.key));
        for (const auto& [entry, keys] : byEntry) {
            auto page = showEntry(current_, fields, entry);
            const auto before = showEntry(before_.workspace(), fields, entry);
            for (auto k : keys)
                page[k] = before[k];
            if (!say(saveEntry(current_, fields, entry, page, keys)))
                return false;
        }
        return true;
    }

    bool ai(const std::vector<Change>& changes)
    {
        auto texts = readAiTexts(current_);
        for (const auto& change : changes)
            texts[*aiFieldByKey(change.key)] = change.before;
        return say(saveAi(current_, texts));
    }

    bool hacks(const std::vector<Change>& changes)
    {
        auto values = readHacks(current_);
        const auto before = readHacks(before_.workspace());
        std::vector<std::size_t> named;
        for (const auto& change : changes) {
            const auto i = *hackByKey(change.key);
            values.on[i] = before.on[i];
            values.text[i] = before.text[i];
            named.push_back(i);
        }
        return say(saveHacks(current_, values, true, named));
    }

    // The field's bytes as the compared game holds them, so that what follows a "~" comes back too.
    bool texts(const std::vector<Change>& changes)
    {
        GameFile exe(before_.workspace().torloExe(), GameFile::Access::ReadOnly);
        for (const auto& change : changes) {
            const auto* entry = gameTextOfLine(entryNumber(change));
            const auto bytes = exe.readAt(entry->offset, entry->width);
            const std::string raw(bytes.begin(), bytes.begin() + std::min<std::size_t>(entry->typedLimit, bytes.size()));
            if (!say(setGameText(current_, entry->line, raw)))
                return false;
        }
        return true;
    }

    // "Save Materials" with the palette and materials as loaded, the changed ones set back.
    bool paletteAndMaterials(const std::vector<Change>& changes)
    {
        auto palette = loadPalette(current_);
        auto materials = loadMaterials(current_);
        const auto palette0 = loadPalette(before_.workspace());
        const auto materials0 = loadMaterials(before_.workspace());
        for (const auto& change : changes) {
            const auto i = static_cast<std::size_t>(entryNumber(change));
            if (change.area == ChangeArea::Palette)
                palette[i] = palette0[i];
            else if (change.key == "KIND")
                materials.kind[i] = materials0.kind[i];
            else if (change.key == "BACKGROUND")
                materials.background[i] = materials0.background[i];
            else
                materials.shadow[i] = materials0.shadow[i];
        }
        return say(saveMaterials(current_, materials, palette));
    }

    // The whole place of the name, so that the characters after a shorter name come back too.
    bool level()
    {
        const auto before = readWholeFile(before_.workspace().torloDat());
        const auto name = levelNameIn(before);
        const auto end = std::min<std::size_t>(before.size(), places::DatLevelName + 1 + places::DatLevelNameMax);
        GameFile target(current_.torloDat());
        target.requireSize(end);
        target.writeAt(places::DatLevelName, std::span(before).subspan(places::DatLevelName, end - places::DatLevelName));
        const auto named = name.empty() ? std::string("an empty name") : cp437ToUtf8(name);   // a game's own torlo.dat names none
        return say(Outcome::done("Level name reverted", "Level name reverted to " + named).changing(GamePart::Level));
    }

    bool wholeFile(const fs::path& from, const fs::path& to)
    {
        if (!fs::exists(from))
            return say(Outcome::refused(inQuotes(to.filename()) + " has no file to be reverted to"));
        copyFileAtomically(from, to);
        return say(Outcome::done(os::textOf(to.filename()) + " reverted", os::textOf(to.filename()) + " reverted to " + os::textOf(from))
                       .changing(gamePartsIn(to, current_.gameFolder)));
    }

    bool sounds(const std::vector<Change>& changes)
    {
        const auto file = current_.torloSnd();
        for (const auto& change : changes)
            if (change.key == "FILE")
                return wholeFile(before_.snd(), file);
        auto bank = SoundBank::load(file);
        const auto before = SoundBank::load(before_.snd());
        for (const auto& change : changes) {
            const int i = entryNumber(change);
            const auto samples = before.samples(i);
            bank.replace(i, Bytes(samples.begin(), samples.end()));
        }
        return say(saveSoundBank(bank, file));
    }

    // Bytes outside every field: written back as the compared game holds them.
    bool unknown(const std::vector<Change>& changes)
    {
        for (const auto& change : changes) {
            const auto dash = change.key.find('-');
            const auto first = std::stoull(change.key.substr(0, dash)), last = std::stoull(change.key.substr(dash + 1));
            const bool exe = sameNameIgnoringCase(change.entry, os::textOf(current_.torloExe().filename()));
            const auto from = exe ? before_.workspace().torloExe() : before_.workspace().torloDat();
            const auto to = exe ? current_.torloExe() : current_.torloDat();
            GameFile source(from, GameFile::Access::ReadOnly);
            GameFile target(to);
            if (last >= source.size() || last >= target.size())
                return say(Outcome::refused("Bytes " + change.key + " of " + change.entry
                                            + " lie beyond the end of one of the files; nothing was written"));
            target.writeAt(first, source.readAt(first, last - first + 1));
            say(Outcome::done("Bytes " + change.key + " of " + change.entry + " reverted",
                              "Bytes " + change.key + " of " + change.entry + " reverted"));
        }
        return true;
    }

    const Workspace& current_;
    const ComparedGame& before_;
    std::vector<Outcome> reports_;
};

} // namespace

std::vector<Outcome> revertChanges(const Workspace& current, const ComparedGame& before, std::span<const Change> changes)
{
    return Reverter(current, before).run(changes);
}

// --- export --------------------------------------------------------------------------------

Outcome exportChanges(std::span<const Change> changes, bool version2, const TargetAsker& askTarget)
{
    std::vector<PluginRecord> records;
    const Change* previous = nullptr;
    for (const auto& change : changes) {
        const auto kind = change.area == ChangeArea::Weapon   ? std::optional(RecordKind::Weapon)
                        : change.area == ChangeArea::Object  ? std::optional(RecordKind::Object)
                        : change.area == ChangeArea::SObject ? std::optional(RecordKind::SObject)
                                                             : std::nullopt;
        if (!kind)
            continue;
        if (!previous || previous->area != change.area || previous->entry != change.entry)
            records.push_back({*kind, {sectionLine(*kind, entryNumber(change))}, {}});
        records.back().lines.push_back(change.key + ":" + change.after);
        previous = &change;
    }
    if (records.empty())
        return Outcome::refused("No weapon, object or special-object change to save as a plugin");
    const auto file = askPluginFile(RecordKind::Weapon, askTarget);
    if (!file)
        return Outcome::nothing("No plugin file was chosen");
    writePlugin(*file, records, version2);
    return Outcome::done("Changes saved as plugin " + inQuotes(*file));
}

} // namespace quorvex
