#include "demo_game.h"
#include "core/ai/ai_values.h"
#include "demo_dos_program.h"
#include "game_data.h"
#include "core/base/places.h"
#include "core/weapons/weapon_names.h"
#include "core/base/workspace.h"
#include "core/hacks/hacks.h"
#include "core/texts/game_text_table.h"
#include "core/weapons/object_fields.h"
#include "core/weapons/sobject_fields.h"
#include "core/weapons/weapon_table.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace fs = std::filesystem;

namespace quorvex::demo {

namespace {

void put(Bytes& bytes, std::uint32_t offset, std::span<const std::uint8_t> block)
{
    std::copy(block.begin(), block.end(), bytes.begin() + offset);
}

void put32(Bytes& bytes, std::uint32_t offset, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

// A deterministic, plausible weapon table: each field within a range that makes sense for it,
// ticks 0 or 1, list entries on a row of their list, weapon index = slot, and start frames on
// the small sprites of the graphics (every fourth weapon a plain bullet, frame -1).
void fillWeaponTable(Bytes& exe)
{
    struct Range {
        std::string_view key;
        int low, high;
    };
    constexpr Range Ranges[] = {
        {"DISTRIBUTION:", 0, 3000},  {"NUMOBJECTS:", 1, 12},     {"SPEED:", 50, 1200},      {"ACCADD:", 0, 60},
        {"ACCMULTIPLY:", 90, 110},   {"RECOIL:", 0, 40},         {"BLOW:", 0, 30},          {"BOUNCE:", 0, 80},
        {"HITDAMAGE:", 0, 30},       {"TIMETOEXPLODE:", 0, 600}, {"TIMETOEXPLODEV:", 0, 50}, {"WORMDETECTRANGE:", 0, 20},
        {"BLOOD:", 0, 100},          {"GRAVITY:", 0, 1500},      {"LOADINGTIME:", 10, 400},  {"AMMO:", 1, 30},
        {"SHOTDELAY:", 0, 60},       {"FIRECONE:", 0, 10},       {"SPLINTERAMOUNT:", 0, 40}, {"OTRAILDELAY:", 0, 10},
        {"PTRAILDELAY:", 0, 10},     {"ANIMFRAMES:", 0, 3},      {"SHELLDELAY:", 0, 30},
        {"SPLINTERCOLOR:", 32, 159}, {"BULLETCOLOR:", 32, 159},
    };
    constexpr int LastSmallSprite = 129;   // frames 0..129 lie on the 7 by 7 sprites
    WeaponTable table;
    for (int w = 0; w < places::WeaponCount; ++w) {
        for (std::size_t k = 0; k < WeaponFields.size(); ++k) {
            const auto& field = WeaponFields[k];
            const auto pick = static_cast<int>((w * 7919u + k * 104729u + w * k * 31u) % 65521u);
            int value = 0;
            if (field.kind == FieldKind::Tick)
                value = pick % 3 == 0;
            else if (field.kind == FieldKind::List)
                value = pick % static_cast<int>(valueListRows(field.list).size());
            else if (field.kind == FieldKind::Index)
                value = w;
            else if (field.kind == FieldKind::Frame)
                value = w % 4 == 3 ? -1 : pick % (LastSmallSprite - 3);
            else
                for (const auto& range : Ranges)
                    if (range.key == field.pluginKey)
                        value = range.low + pick % (range.high - range.low + 1);
            table.setEntry(field, w, value);
        }
        if (table.entry(WeaponFields[*weaponFieldByKey("ANIMSFRAME")], w) < 0)
            table.setEntry(WeaponFields[*weaponFieldByKey("ANIMFRAMES")], w, 0);   // a bullet has no animation
    }
    put(exe, places::WeaponTable, table.bytes);
}

// Plausible object and special-object tables: ticks 0 or 1, list entries on a row of their
// list, numbers small enough to make sense for any of the fields. The entries are written from
// the last, so that "Shadow" of special objects 0 to 3 wins over "Blow away" of 13.
void fillFieldArrays(Bytes& exe, const FieldArrays& table)
{
    for (int e = table.entries - 1; e >= 0; --e)
        for (std::size_t k = 0; k < table.fields.size(); ++k) {
            const auto& field = table.fields[k];
            const auto pick = static_cast<int>((e * 7919u + k * 104729u + e * k * 31u) % 65521u);
            int value = pick % 40;
            if (field.kind == FieldKind::Tick)
                value = pick % 3 == 0;
            else if (field.kind == FieldKind::List)
                value = pick % static_cast<int>(valueListRows(field.list).size());
            else if (field.kind == FieldKind::Colour)
                value = 32 + pick % 128;
            else if (field.width != FieldWidth::Byte)
                value = pick % 800;
            const auto at = table.offset + field.position + static_cast<std::uint32_t>(field.width) * e;
            for (int b = 0; b < static_cast<int>(field.width); ++b)
                exe[at + b] = static_cast<std::uint8_t>(value >> (8 * b));
        }
}

// Every game text with the editor's design-time text, cut or filled with spaces to its field.
void fillGameTexts(Bytes& exe)
{
    for (const auto& text : GameTexts) {
        std::string field(text.designText.substr(0, text.width));
        field.resize(text.width, ' ');
        const std::span bytes(reinterpret_cast<const std::uint8_t*>(field.data()), field.size());
        put(exe, text.offset, bytes);
        if (text.secondOffset)
            put(exe, text.secondOffset, bytes);
    }
}

} // namespace

Bytes torloExe()
{
    Bytes exe(ExeSize, 0x90);
    constexpr auto program = dosProgram();
    std::copy(program.begin(), program.end(), exe.begin());
    const auto names = gamedata::weaponNames();
    for (int i = 0; i < places::WeaponCount; ++i)
        put(exe, places::WeaponNames + places::WeaponNameSlot * i, encodeWeaponName(names[i]));
    fillWeaponTable(exe);
    fillFieldArrays(exe, ObjectArrays);
    fillFieldArrays(exe, SObjectArrays);
    fillGameTexts(exe);
    for (const auto& field : AiFields) {   // the "Standard" computer player
        const auto bits = aiStoredBits(field, field.standard);
        exe[field.offset] = static_cast<std::uint8_t>(bits);
        if (field.store != AiStore::SignedByte)
            exe[field.offset + 1] = static_cast<std::uint8_t>(bits >> 8);
    }
    // The hacks in their off state with their design-time numbers.
    for (const auto& write : hackBytes(designHackValues()))
        exe[write.offset] = write.value;
    exe[places::HackLaserColour] = exe[places::HackLaserCheck] = 29;
    for (const auto& item : HackItems)   // rope speeds are words of which only the low byte is set
        if (item.read == HackRead::Word && item.write == HackWrite::Byte)
            exe[item.offsets[0] + 1] = 0;
    put(exe, places::Materials, gamedata::defaultMaterials());
    const auto palette = gamedata::defaultPalette6();
    for (int i = 0; i < 256; ++i) {
        exe[places::GamePalette + 3 * i] = palette[i].red;
        exe[places::GamePalette + 3 * i + 1] = palette[i].green;
        exe[places::GamePalette + 3 * i + 2] = palette[i].blue;
    }
    return exe;
}

Bytes torloChr()
{
    // Header, 110 sprites of 16x16, 130 of 7x7 and 30 of 4x4, each group led by its size record.
    Bytes chr{'T', 'O', 'R', 'L', 'O', 0, 2, 16, 16, 110};
    auto drawSprites = [&](int count, int side, int firstColour) {
        for (int s = 0; s < count; ++s) {
            const double radius = side / 2.0 - 0.5 - (s % 3) * 0.15 * side / 4;
            for (int y = 0; y < side; ++y)
                for (int x = 0; x < side; ++x) {
                    const double dx = x - (side - 1) / 2.0, dy = y - (side - 1) / 2.0;
                    const double d = std::sqrt(dx * dx + dy * dy);
                    const bool rim = d > radius - 1.2;
                    chr.push_back(d > radius ? 0 : static_cast<std::uint8_t>(firstColour + (s * 5 + (rim ? 0 : 2)) % 96));
                }
        }
    };
    drawSprites(110, 16, 32);
    chr.insert(chr.end(), {0, 7, 7, 130});
    drawSprites(130, 7, 64);
    chr.insert(chr.end(), {0, 4, 4, 30});
    drawSprites(30, 4, 96);
    return chr;
}

// One demo sound of the given family: shots are short noise bursts, explosions rumbling noise
// over a falling thump, voices a pitched tone with vibrato, the rest chirps.
static std::int8_t demoSample(int entry, std::uint32_t n, std::uint32_t length, std::uint32_t& seed, double& low, double& phase)
{
    constexpr double Tau = 6.283185307179586;
    const double t = n / 22050.0, progress = double(n) / length;
    seed = seed * 1664525u + 1013904223u;
    const double noise = (seed >> 8) / double(1u << 24) * 2 - 1;
    low += (noise - low) * 0.08;   // noise without its hiss
    double value = 0;
    if (entry <= 6) {
        value = (noise * 0.5 + low * 2.5) * std::exp(-t * 30);
    } else if (entry <= 14) {
        phase += Tau * 60 * (1 - 0.5 * progress) / 22050;
        value = (low * 3 + std::sin(phase) * 0.7) * std::exp(-t * 9) * std::min(1.0, n / 60.0);
    } else if (entry <= 22) {
        phase += Tau * (220 * (1 - 0.4 * progress) + 15 * std::sin(Tau * 7 * t)) / 22050;
        value = (std::sin(phase) + 0.4 * std::sin(2 * phase) + 0.2 * std::sin(3 * phase)) * 0.7
                * std::min(1.0, n / 300.0) * (1 - progress);
    } else {
        phase += Tau * (300 + 700 * progress) / 22050;
        value = std::sin(phase) * std::exp(-t * 10);
    }
    return static_cast<std::int8_t>(std::clamp(value * 100, -127.0, 127.0));
}

Bytes torloSnd()
{
    constexpr int Entries = 30;
    Bytes bank(places::SndDirectory + places::SndEntrySize * Entries, 0);
    bank[0] = Entries;
    for (int i = 0; i < Entries; ++i) {
        const std::uint32_t length = i == 29 ? 0 : 1500 + 220 * i;   // the last one is empty
        const auto offset = static_cast<std::uint32_t>(bank.size());
        const auto entry = places::SndDirectory + places::SndEntrySize * i;
        std::memcpy(&bank[entry], "SOUND   ", 8);
        put32(bank, places::SndSampleOffset + places::SndEntrySize * i, offset);
        put32(bank, places::SndSampleLength + places::SndEntrySize * i, length);
        std::uint32_t seed = 2024u + static_cast<std::uint32_t>(i);
        double low = 0, phase = 0;
        for (std::uint32_t n = 0; n < length; ++n)   // signed samples
            bank.push_back(static_cast<std::uint8_t>(demoSample(i, n, length, seed, low, phase)));
    }
    return bank;
}

Bytes torloDat()
{
    Bytes dat(places::DatSize, 0);
    put32(dat, places::DatBlood, 500);
    const std::string level = "DEMO1";
    dat[places::DatLevelName] = static_cast<std::uint8_t>(level.size());
    std::copy(level.begin(), level.end(), dat.begin() + places::DatLevelName + 1);
    return dat;
}

bool writeGameFolder(const fs::path& folder, bool force)
{
    fs::create_directories(folder);
    if (fs::exists(findGameFile(folder, "torlo.exe")) && !force)
        return false;
    writeFileAtomically(findGameFile(folder, "torlo.exe"), torloExe());
    writeFileAtomically(findGameFile(folder, "torlo.dat"), torloDat());
    writeFileAtomically(findGameFile(folder, "TORLO.CHR"), torloChr());
    writeFileAtomically(findGameFile(folder, "TORLO.SND"), torloSnd());
    fs::create_directories(folder / "mods");
    writeSamples(folder / "mods");
    return true;
}

} // namespace quorvex::demo
