#pragma once
// The parts of the game that an operation changed, as a set: every operation that changes game
// data says which parts in its Outcome, and one notification carries the set to every holder of
// game data, which reloads what it shows of those parts.
#include <cstdint>
#include <filesystem>

namespace quorvex {

enum class GamePart : std::uint16_t {
    Weapons = 1u << 0,          // the weapon names and the weapon table
    Objects = 1u << 1,
    SpecialObjects = 1u << 2,
    Palette = 1u << 3,          // the palette in torlo.exe and the working palette
    Materials = 1u << 4,
    Texts = 1u << 5,
    Hacks = 1u << 6,
    Ai = 1u << 7,
    Blood = 1u << 8,            // torlo.dat
    Sounds = 1u << 9,           // TORLO.SND
    Graphics = 1u << 10,        // TORLO.CHR
    Level = 1u << 11,           // the level named in torlo.dat
};

class GameParts {
public:
    constexpr GameParts() = default;
    constexpr GameParts(GamePart part) : bits_(static_cast<unsigned>(part)) {}

    // Everything torlo.exe holds.
    static constexpr GameParts inTorloExe();
    static constexpr GameParts all() { return GameParts(AllBits); }

    constexpr bool empty() const { return bits_ == 0; }
    constexpr bool has(GamePart part) const { return (bits_ & static_cast<unsigned>(part)) != 0; }
    constexpr bool hasAny(GameParts parts) const { return (bits_ & parts.bits_) != 0; }
    constexpr GameParts operator&(GameParts other) const { return GameParts(bits_ & other.bits_); }
    constexpr GameParts operator|(GameParts other) const { return GameParts(bits_ | other.bits_); }
    constexpr GameParts& operator|=(GameParts other) { bits_ |= other.bits_; return *this; }
    constexpr bool operator==(const GameParts&) const = default;
    constexpr unsigned bits() const { return bits_; }

private:
    static constexpr unsigned AllBits = (1u << 12) - 1;
    constexpr explicit GameParts(unsigned bits) : bits_(bits) {}
    unsigned bits_ = 0;
};

constexpr GameParts operator|(GamePart a, GamePart b) { return GameParts(a) | GameParts(b); }

constexpr GameParts GameParts::inTorloExe()
{
    return GamePart::Weapons | GamePart::Objects | GamePart::SpecialObjects | GamePart::Palette
           | GamePart::Materials | GamePart::Texts | GamePart::Hacks | GamePart::Ai;
}

// The whole files of the game folder (found without regard to case) and the parts each holds.
struct GameFileParts {
    const char* name;
    GameParts parts;
};
inline constexpr GameFileParts GameFiles[] = {
    {"torlo.exe", GameParts::inTorloExe()},
    {"torlo.dat", GamePart::Blood | GamePart::Level},
    {"TORLO.CHR", GamePart::Graphics},
    {"TORLO.SND", GamePart::Sounds},
};

// The parts a whole file of the game folder holds: torlo.exe, torlo.dat, TORLO.CHR or
// TORLO.SND (found without regard to case); nothing for any other file.
GameParts gamePartsIn(const std::filesystem::path& file, const std::filesystem::path& gameFolder);

} // namespace quorvex
