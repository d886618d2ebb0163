#pragma once
// Every fixed place that Quorvex reads or writes in the game's files and in quorvex.dat.
// All offsets are absolute file offsets; the fields inside each block live with their editor.
#include <array>
#include <cstdint>

namespace quorvex::places {

// --- torlo.exe ---------------------------------------------------------------------------
inline constexpr std::uint32_t GameTextsFirst = 6001;   // 171 text fields up to 135753
inline constexpr std::uint32_t GameTextsLast = 135753;

// The 59 code and data places that the special hacks switch, ascending (27919 and 30353
// start the two-byte patches named by 27920 and 30354).
inline constexpr std::array<std::uint32_t, 59> Hacks = {
    11606, 11686, 11693, 11696, 11697, 11698, 12336, 12362, 12390, 12416, 12806, 12841,
    12955, 12991, 13075, 13076, 13083, 13084, 14701, 14781, 14901, 15026, 15151, 15276,
    15324, 15330, 15567, 16268, 16279, 16397, 16408, 16739, 17940, 18699, 18707, 18717,
    18725, 27919, 27920, 29377, 29383, 29768, 29774, 30350, 30351, 30353, 30354, 38402, 43155,
    43161, 48842, 69586, 69737, 69743, 69837, 69843, 110348, 115166, 115167};
inline constexpr std::uint32_t HackLaserColour = 15567;   // shown only: valid when 38402 holds the same
inline constexpr std::uint32_t HackLaserCheck = 38402;
inline constexpr std::uint32_t HackRunOf8 = 110348;     // the one 8-byte run among them

// CPU AI values: how often the computer player acts (16-bit, 1 = very often, 32767 = almost
// never) and three numbers of its range and explosion-time calculations.
inline constexpr std::uint32_t AiChangeLeft = 110326;
inline constexpr std::uint32_t AiChangeRight = 110324;
inline constexpr std::uint32_t AiFirePress = 110328;
inline constexpr std::uint32_t AiFireRelease = 110342;
inline constexpr std::uint32_t AiChangePress = 110330;
inline constexpr std::uint32_t AiChangeRelease = 110344;
inline constexpr std::uint32_t AiJumpPress = 110332;
inline constexpr std::uint32_t AiJumpRelease = 110346;
inline constexpr std::uint32_t AiMaxExplodeTime = 19636;   // 16-bit
inline constexpr std::uint32_t AiMinimumRange = 19782;     // 8-bit
inline constexpr std::uint32_t AiRangeDivisor = 19715;     // 16-bit

// Objects: field arrays of 24 entries from here up to the weapon names; the fields live in
// weapons/object_fields.h.
inline constexpr int ObjectCount = 24;
inline constexpr std::uint32_t ObjectTable = 111430;
inline constexpr std::uint32_t ObjectTableSize = 816;

// Weapon names: 40 slots of 14 bytes, a length byte and up to 13 characters.
inline constexpr int WeaponCount = 40;
inline constexpr std::uint32_t WeaponNames = 112246;
inline constexpr std::uint32_t WeaponNameSlot = 14;
inline constexpr std::uint32_t WeaponNameMax = 13;

// Weapon table: 2360 bytes, read and written as one block.
inline constexpr std::uint32_t WeaponTable = 112806;
inline constexpr std::uint32_t WeaponTableSize = 2360;

// Special objects: field arrays of 14 entries from here up to the materials; the fields live
// in weapons/sobject_fields.h.
inline constexpr int SpecialObjectCount = 14;
inline constexpr std::uint32_t SpecialObjectTable = 115218;
inline constexpr std::uint32_t SpecialObjectTableSize = 206;

// Materials: five bit sets of 32 bytes (brown dirt, green dirt, rock, background, shadow).
inline constexpr std::uint32_t Materials = 115424;
inline constexpr std::uint32_t MaterialSetSize = 32;
inline constexpr std::uint32_t MaterialsSize = 160;

// Game palette: 256 entries of red, green, blue, each 0..63.
inline constexpr std::uint32_t GamePalette = 132774;
inline constexpr std::uint32_t PaletteSize = 768;

// --- torlo.dat ---------------------------------------------------------------------------
inline constexpr std::uint32_t DatBlood = 14;        // 32-bit, 0..32750 in steps of 25
inline constexpr std::uint32_t DatLevelName = 146;   // length byte + up to 8 characters
inline constexpr std::uint32_t DatLevelNameMax = 8;
inline constexpr std::uint32_t DatSize = 155;

// --- TORLO.CHR / TORLO.SND ---------------------------------------------------------------
inline constexpr std::uint32_t ChrMinimumSize = 35028;
inline constexpr std::uint32_t SndDirectory = 2;      // entry i at 2 + 16i
inline constexpr std::uint32_t SndEntrySize = 16;
inline constexpr std::uint32_t SndSampleOffset = 10;  // 32-bit at 10 + 16i
inline constexpr std::uint32_t SndSampleLength = 14;  // 32-bit at 14 + 16i

// --- levels (.LEV): the 176400 pixels, with a tail, a palette or the materials after them ---
inline constexpr std::uint32_t LevelSmallestSize = 176400;
inline constexpr std::uint32_t LevelLargestSize = 177338;

// --- quorvex.dat (read-only resource) ----------------------------------------------------
inline constexpr std::uint32_t DatLevelHeader = 0;        // 54 bytes: 504x350x8 bitmap headers
inline constexpr std::uint32_t DatDefaultPalette = 54;    // 1024 bytes: blue, green, red, index
inline constexpr std::uint32_t DatPaletteFrom1 = 58;      // 1020 bytes: entries 1..255
inline constexpr std::uint32_t DatPaletteHeader = 1078;   // 54 bytes: 16x16x8 bitmap headers
inline constexpr std::uint32_t DatGraphicsHeader = 1132;  // 54 bytes: 16x2790x8 bitmap headers
inline constexpr std::uint32_t QuorvexDatSize = 1186;

inline constexpr std::uint32_t BitmapHeaderSize = 54;
inline constexpr std::uint32_t BitmapColourTableSize = 1024;
inline constexpr std::uint32_t BitmapPixelsAt = 1078;

// Working files.
inline constexpr const char* WeaponBitmapName = "weapon.bmp";
inline constexpr const char* PreviewBitmapName = "quorvex.bmp";
inline constexpr const char* SoundWorkName = "quorvex.wav";
inline constexpr const char* ResourceFileName = "quorvex.dat";
inline constexpr const char* LogFileName = "quorvex.log";

} // namespace quorvex::places
