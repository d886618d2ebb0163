#pragma once
// The game text table: every on-screen text that Torlo keeps in torlo.exe, where it lies, how
// wide its field is, which page of the text editor shows it and which line of a translation
// file carries it. The editor's pages, the translation files and the CLI are built from it.
#include <array>
#include <cstdint>
#include <string_view>

namespace quorvex {

enum class TextPage { Startup, Menu, Options, Game, Players, Keys, Misc };
inline constexpr std::array<std::string_view, 7> TextPageCaptions = {
    "Startup", "Menu", "Options", "Before/After/In Game", "Player/Weapon Options", "Keys", "Misc."};

// What happens to an entry: read from torlo.exe, written by "Save", written to a translation
// file, applied from one.
struct TextUse {
    bool read, saved, exported, applied;
    constexpr bool operator==(const TextUse&) const = default;
};
inline constexpr TextUse Translated{true, true, true, true};
inline constexpr TextUse FileName{false, true, true, false};   // shown as designed, never read
inline constexpr TextUse ReadOnly{true, false, false, false};  // never written

struct GameText {
    TextPage page;
    std::string_view label;         // empty for the key names; "&&" shows one "&"
    std::uint8_t field;             // 1, or 2 and 3 for fields sharing the row of the one before
    std::uint32_t offset;
    std::uint32_t secondOffset;     // 0, or the second place of the one text kept twice
    std::uint8_t width;             // the field's bytes; also the most a text may hold
    std::uint8_t typedLimit;        // the most characters typed into it (width but once)
    std::string_view designText;    // what the editor shows before anything is read
    int line;                       // its line in a translation file, 0 for none
    TextUse use;

    constexpr GameText typedAtMost(std::uint8_t limit) const
    {
        auto copy = *this;
        copy.typedLimit = limit;
        return copy;
    }
    constexpr std::uint32_t end() const { return (secondOffset ? secondOffset : offset) + width; }
};

namespace text_rows {
constexpr GameText translated(int line, TextPage page, std::string_view label, std::uint32_t offset, std::uint8_t width,
                              std::string_view text, std::uint8_t field = 1)
{
    return {page, label, field, offset, 0, width, width, text, line, Translated};
}
constexpr GameText printScreen(int line, std::uint32_t first, std::uint32_t second, std::uint8_t width, std::string_view text)
{
    return {TextPage::Keys, "", 1, first, second, width, width, text, line, Translated};
}
constexpr GameText fileName(int line, TextPage page, std::string_view label, std::uint32_t offset, std::uint8_t width,
                            std::string_view text)
{
    return {page, label, 1, offset, 0, width, width, text, line, FileName};
}
constexpr GameText readOnly(TextPage page, std::string_view label, std::uint32_t offset, std::uint8_t width,
                            std::string_view text, std::uint8_t field = 1)
{
    return {page, label, field, offset, 0, width, width, text, 0, ReadOnly};
}
} // namespace text_rows

inline constexpr std::size_t GameTextCount = 170;

// In the order of the translation file's lines (7 to 173), then the three read-only entries.
inline constexpr std::array<GameText, GameTextCount> GameTexts = [] {
    using namespace text_rows;
    return std::array<GameText, GameTextCount>{{
        translated(7, TextPage::Startup, "Using no sound: ", 6001, 14, "Using no sound"),
        translated(8, TextPage::Startup, "Initializing sound system...", 6016, 28, "Initializing sound system..."),
        translated(9, TextPage::Startup, "\"BLASTER\" variable error ", 6044, 36, "\"BLASTER\" environment variable error "),
        translated(10, TextPage::Startup, "Error initializing sound card ", 6080, 29, "Error initializing sound card "),
        translated(11, TextPage::Startup, "BaseIO=", 6110, 7, "BaseIO="),
        translated(12, TextPage::Startup, "IRQ (2x)", 6119, 7, "    IRQ"),
        translated(13, TextPage::Startup, "IRQ (2x)", 6149, 11, "        IRQ", 2),
        translated(14, TextPage::Startup, "DMA 8/8/16", 6127, 9, "    DMA8="),
        translated(15, TextPage::Startup, "DMA 8/8/16", 6161, 13, "        DMA8=", 2),
        translated(16, TextPage::Startup, "DMA 8/8/16", 6137, 10, "    DMA16=", 3),
        translated(17, TextPage::Startup, "DSP version", 6175, 12, "DSP version "),
        translated(18, TextPage::Startup, "DSP version", 6188, 3, ":  ", 2),
        translated(19, TextPage::Startup, "8/16 bit", 6201, 7, "8-bit, "),
        translated(20, TextPage::Startup, "8/16 bit", 6192, 8, "16-bit, ", 2),
        translated(21, TextPage::Startup, "Copyright", 64356, 46, "TORLO v1.33 (c) 1998-2000 by the Torlo Team"),
        translated(22, TextPage::Startup, "Auto-initialized", 6209, 16, "Auto-initialized"),
        translated(23, TextPage::Startup, "Single-cycle", 6226, 12, "Single-cycle"),
        translated(24, TextPage::Startup, "Error with Himem", 6238, 35, "\"Error initializing extended memory"),
        translated(25, TextPage::Startup, "Error with Himem", 6274, 28, "HIMEM.SYS must be installed'", 2),
        translated(26, TextPage::Startup, "XMS succes", 6302, 39, "Extended memory succesfully initialized"),
        translated(27, TextPage::Startup, "Free XMS memory:", 6342, 16, "Free XMS memory:  "),
        translated(28, TextPage::Startup, "Free XMS memory:", 6361, 3, "k  ", 2),
        translated(29, TextPage::Startup, "Insufficient free XMS", 6365, 21, "Insufficient free XMS"),
        translated(30, TextPage::Startup, "Loading sounds...", 6387, 17, "Loading sounds..."),
        translated(31, TextPage::Startup, "Loading sounds...", 6415, 2, "OK", 2),
        translated(32, TextPage::Startup, "Loading && thinking", 64403, 21, "Loading & thinking..."),
        translated(33, TextPage::Startup, "Loading && thinking", 64425, 2, "OK", 2),
        translated(34, TextPage::Startup, "Press any key", 64428, 16, "Press any key..."),
        translated(35, TextPage::Startup, "Not enough free memory", 64445, 36, "Not enough free conventional memory!"),
        translated(36, TextPage::Menu, "Resume game", 110733, 11, "RESUME GAME"),
        translated(37, TextPage::Menu, "New game", 110747, 8, "NEW GAME"),
        translated(38, TextPage::Menu, "Options", 110761, 7, "OPTIONS"),
        translated(39, TextPage::Menu, "Quit to OS", 110775, 10, "QUIT TO OS"),
        translated(40, TextPage::Menu, "Current options 1", 59102, 28, "Current Options: No filename"),
        translated(41, TextPage::Menu, "Current options 2", 59131, 17, "Current Options: "),
        translated(42, TextPage::Menu, "Save options", 59068, 16, "S - Save Options"),
        translated(43, TextPage::Menu, "Load options", 59085, 16, "L - Load Options"),
        translated(44, TextPage::Options, "Random level", 43478, 13, "Level: Random"),
        translated(45, TextPage::Options, "Other level", 43492, 8, "Level: \""),
        translated(46, TextPage::Options, "Other level", 43501, 1, "\"", 2),
        translated(47, TextPage::Options, "Filename", 49907, 10, "Filename: "),
        translated(48, TextPage::Options, "Time in GoT", 54259, 12, "TIME TO LOSE"),
        translated(49, TextPage::Options, "Flags in CtF", 54272, 12, "FLAGS TO WIN"),
        translated(50, TextPage::Options, "Rnd. level after/when choosing", 54292, 6, "Random"),
        translated(51, TextPage::Options, "Rnd. level after/when choosing", 55012, 8, "[RANDOM]", 2),
        translated(52, TextPage::Options, "Regenerate level", 54299, 16, "REGENERATE LEVEL"),
        translated(53, TextPage::Options, "Reload level", 54318, 12, "RELOAD LEVEL"),
        translated(54, TextPage::Options, "Select level", 55027, 13, "Select level:"),
        translated(55, TextPage::Options, "Options copyright", 59028, 39, "Torlo v1.33 (c) 1998-2000 Torlo Team"),
        translated(56, TextPage::Options, "Game mode", 110787, 9, "GAME MODE"),
        translated(57, TextPage::Options, "Max. bonuses", 110850, 11, "MAX BONUSES"),
        translated(58, TextPage::Options, "Names on bonuses", 110871, 16, "NAMES ON BONUSES"),
        translated(59, TextPage::Options, "On / Off", 110217, 2, "ON"),
        translated(60, TextPage::Options, "On / Off", 110213, 3, "OFF", 2),
        translated(61, TextPage::Options, "Map / Level / Lives", 110892, 3, "MAP"),
        translated(62, TextPage::Options, "Map / Level / Lives", 110934, 5, "LEVEL", 2),
        translated(63, TextPage::Options, "Map / Level / Lives", 54253, 5, "LIVES", 3),
        translated(64, TextPage::Options, "Amount of blood", 110913, 15, "AMOUNT OF BLOOD"),
        translated(65, TextPage::Options, "Loading times", 110829, 13, "LOADING TIMES"),
        translated(66, TextPage::Options, "Shadows", 110976, 7, "SHADOWS"),
        translated(67, TextPage::Options, "Screen synchronize", 110997, 12, "SCREEN SYNC."),
        translated(68, TextPage::Options, "Load + Change", 111018, 11, "LOAD+CHANGE"),
        translated(69, TextPage::Options, "Player 1 options", 111039, 16, "PLAYER 1 OPTIONS"),
        translated(70, TextPage::Options, "Player 2 options", 111060, 16, "PLAYER 2 OPTIONS"),
        translated(71, TextPage::Options, "Weapon options", 111081, 14, "WEAPON OPTIONS"),
        translated(72, TextPage::Options, "Kill'Em All mode", 111291, 11, "Kill'Em All"),
        translated(73, TextPage::Options, "Game of Tag mode", 111308, 11, "Game of Tag"),
        translated(74, TextPage::Options, "Capture the Flag mode", 111325, 16, "Capture the Flag"),
        translated(75, TextPage::Options, "Simple CtF mode", 111342, 10, "Simple CtF"),
        translated(76, TextPage::Game, "Select your weapons", 43457, 20, "Select your weapons:"),
        translated(77, TextPage::Game, "Done selecting weapons", 43503, 5, "DONE!"),
        translated(78, TextPage::Game, "Randomize unknown", 43509, 9, "Randomize"),
        translated(79, TextPage::Game, "Randomize P1/P2", 43521, 9, "Randomize"),
        translated(80, TextPage::Game, "Reloading", 30084, 12, "Reloading..."),
        translated(81, TextPage::Game, "Press fire", 30097, 19, "Press fire to go..."),
        translated(82, TextPage::Game, "Kills", 30117, 7, "Kills: "),
        translated(83, TextPage::Game, "Lives", 30125, 7, "Lives: "),
        translated(84, TextPage::Game, "Flags captured", 30133, 16, "Flags captured: "),
        translated(85, TextPage::Game, "You're it now", 30150, 16, "You're 'IT' now!"),
        translated(86, TextPage::Game, "xxx commited suicide", 59149, 18, " committed suicide"),
        translated(87, TextPage::Game, "Killed xxx", 59168, 7, "Killed "),
        translated(88, TextPage::Game, "Generating level", 61186, 19, "Generating Level..."),
        translated(89, TextPage::Game, "Loading level", 61206, 15, "Loading Level: "),
        translated(90, TextPage::Game, "Copyright part 1", 64485, 11, "TORLO v1.33"),
        translated(91, TextPage::Game, "Copyright part 2", 64499, 36, " (c) 1998-2000 by the Torlo Team"),
        translated(92, TextPage::Players, "Weapon", 55041, 6, "Weapon"),
        translated(93, TextPage::Players, "Availability", 55048, 12, "Availability"),
        translated(94, TextPage::Players, "No weapon selected", 55061, 50, "At least one weapon must be available in the menu!"),
        translated(95, TextPage::Players, "Menu", 111359, 4, "Menu"),
        translated(96, TextPage::Players, "Bonus", 111372, 5, "Bonus"),
        translated(97, TextPage::Players, "Banned", 111385, 6, "Banned"),
        translated(98, TextPage::Players, "Name", 111121, 4, "NAME"),
        translated(99, TextPage::Players, "Health", 111134, 6, "HEALTH"),
        translated(100, TextPage::Players, "Red/Green/Blue", 111147, 3, "Red"),
        translated(101, TextPage::Players, "Red/Green/Blue", 111160, 5, "Green", 2),
        translated(102, TextPage::Players, "Red/Green/Blue", 111173, 4, "Blue", 3),
        translated(103, TextPage::Players, "Aim up", 111186, 6, "AIM UP"),
        translated(104, TextPage::Players, "Aim down", 111199, 8, "AIM DOWN"),
        translated(105, TextPage::Players, "Move left", 111212, 9, "MOVE LEFT"),
        translated(106, TextPage::Players, "Move right", 111225, 10, "MOVE RIGHT"),
        translated(107, TextPage::Players, "Fire", 111238, 4, "FIRE"),
        translated(108, TextPage::Players, "Change", 111251, 6, "CHANGE"),
        translated(109, TextPage::Players, "Jump", 111264, 4, "JUMP"),
        translated(110, TextPage::Players, "Controller", 111277, 10, "CONTROLLER"),
        translated(111, TextPage::Players, "Human player", 111109, 5, "Human"),
        translated(112, TextPage::Players, "CPU player", 111115, 3, "CPU"),
        translated(113, TextPage::Keys, "", 134297, 2, "F1"),
        translated(114, TextPage::Keys, "", 134310, 2, "F2"),
        translated(115, TextPage::Keys, "", 134323, 2, "F3"),
        translated(116, TextPage::Keys, "", 134336, 2, "F4"),
        translated(117, TextPage::Keys, "", 134349, 2, "F5"),
        translated(118, TextPage::Keys, "", 134362, 2, "F6"),
        translated(119, TextPage::Keys, "", 134375, 2, "F7"),
        translated(120, TextPage::Keys, "", 134388, 2, "F8"),
        translated(121, TextPage::Keys, "", 134401, 2, "F9"),
        translated(122, TextPage::Keys, "", 134414, 3, "F10"),
        translated(123, TextPage::Keys, "", 134661, 3, "F11"),
        translated(124, TextPage::Keys, "", 134674, 3, "F12"),
        translated(125, TextPage::Keys, "", 134076, 10, "Left Shift"),
        translated(126, TextPage::Keys, "", 133907, 9, "Left Ctrl"),
        translated(127, TextPage::Keys, "", 134258, 8, "Left Alt"),
        translated(128, TextPage::Keys, "", 134232, 11, "Right Shift"),
        translated(129, TextPage::Keys, "", 135051, 10, "Right Ctrl"),
        translated(130, TextPage::Keys, "", 135402, 9, "Right Alt"),
        translated(131, TextPage::Keys, "", 134284, 9, "Caps Lock"),
        translated(132, TextPage::Keys, "", 134427, 8, "Num Lock"),
        translated(133, TextPage::Keys, "", 134440, 11, "Scroll Lock"),
        translated(134, TextPage::Keys, "", 135740, 6, "Insert"),
        translated(135, TextPage::Keys, "", 135753, 6, "Delete"),
        translated(136, TextPage::Keys, "", 135597, 4, "Home"),
        translated(137, TextPage::Keys, "", 135701, 3, "End"),
        translated(138, TextPage::Keys, "", 135623, 7, "Page Up"),
        translated(139, TextPage::Keys, "", 135727, 9, "Page Down"),
        translated(140, TextPage::Keys, "", 135610, 2, "Up"),
        translated(141, TextPage::Keys, "", 135714, 4, "Down"),
        translated(142, TextPage::Keys, "", 135649, 4, "Left"),
        translated(143, TextPage::Keys, "", 135675, 5, "Right"),
        translated(144, TextPage::Keys, "", 133712, 9, "Backspace"),
        printScreen(145, 135220, 135389, 12, "Print Screen"),
        translated(146, TextPage::Keys, "", 133894, 5, "Enter"),
        translated(147, TextPage::Keys, "", 133725, 3, "Tab"),
        translated(148, TextPage::Keys, "", 133543, 3, "Esc"),
        translated(149, TextPage::Keys, "", 135363, 7, "/ (Pad)"),
        translated(150, TextPage::Keys, "", 134245, 7, "* (Pad)"),
        translated(151, TextPage::Keys, "", 134492, 7, "- (Pad)"),
        translated(152, TextPage::Keys, "", 134453, 7, "7 (Pad)"),
        translated(153, TextPage::Keys, "", 134466, 7, "8 (Pad)"),
        translated(154, TextPage::Keys, "", 134479, 7, "9 (Pad)"),
        translated(155, TextPage::Keys, "", 134544, 7, "+ (Pad)"),
        translated(156, TextPage::Keys, "", 134505, 7, "4 (Pad)"),
        translated(157, TextPage::Keys, "", 134518, 7, "5 (Pad)"),
        translated(158, TextPage::Keys, "", 134531, 7, "6 (Pad)"),
        translated(159, TextPage::Keys, "", 134557, 7, "1 (Pad)"),
        translated(160, TextPage::Keys, "", 134570, 7, "2 (Pad)"),
        translated(161, TextPage::Keys, "", 134583, 7, "3 (Pad)"),
        translated(162, TextPage::Keys, "", 134596, 7, "0 (Pad)"),
        translated(163, TextPage::Keys, "", 134609, 7, ". (Pad)"),
        translated(164, TextPage::Keys, "", 135038, 11, "Enter (Pad)"),
        translated(165, TextPage::Misc, "Filename to load sounds from:", 6405, 9, "TORLO.SND"),
        translated(166, TextPage::Misc, "Level extension (2x)", 54287, 4, ".lev"),
        translated(167, TextPage::Misc, "Level extension (2x)", 55021, 5, "*.lev", 2),
        translated(168, TextPage::Misc, "Extension of data files", 49920, 4, ".dat"),
        translated(169, TextPage::Misc, "???", 115708, 5, "TORLO"),
        translated(170, TextPage::Misc, "???", 65731, 7, "BLASTER").typedAtMost(6),   // the environment variable's name
        fileName(171, TextPage::Misc, "Names file:", 49021, 9, "names.dat"),
        fileName(172, TextPage::Misc, "Options file:", 62195, 9, "torlo.opt"),
        fileName(173, TextPage::Misc, "Graphics file:", 62211, 9, "torlo.chr"),
        readOnly(TextPage::Misc, "Runtime error xxx at xxx", 92044, 14, "Runtime error "),
        readOnly(TextPage::Misc, "Runtime error xxx at xxx", 92059, 4, " at ", 2),
        readOnly(TextPage::Misc, "", 92068, 38, "Portions Copyright (c) 1983,92 Borland"),
    }};
}();

// The entries of the translation file's lines 7 to 173, by line; nullptr for any other line.
constexpr const GameText* gameTextOfLine(int line)
{
    for (const auto& text : GameTexts)
        if (text.line == line && line != 0)
            return &text;
    return nullptr;
}

constexpr std::size_t indexOf(const GameText& text)
{
    return static_cast<std::size_t>(&text - GameTexts.data());
}

} // namespace quorvex
