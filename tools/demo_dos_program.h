#pragma once
// The first bytes of the demo game's torlo.exe: a small real DOS program, so that "Run" on the
// demo game starts something that DOSBox can run and that ends again. It prints what it is and
// returns to DOS. Hand-assembled 8086 code in an MZ executable whose load module is only these
// bytes: DOS loads no further, so the game data from offset 6001 on is never touched.
#include <array>
#include <cstdint>
#include <string_view>

namespace quorvex::demo {

// Printed by DOS function 09h, which ends at the "$".
inline constexpr std::string_view DosProgramMessage =
    "This is Quorvex's demo game, not Torlo: it has nothing to play.\r\n"
    "Point Quorvex at a real Torlo folder to play.\r\n$";

inline constexpr std::size_t DosHeaderSize = 32;   // two paragraphs
inline constexpr std::size_t DosCodeSize = 14;
inline constexpr std::size_t DosProgramSize = DosHeaderSize + DosCodeSize + DosProgramMessage.size();

inline constexpr std::array<std::uint8_t, DosProgramSize> dosProgram()
{
    constexpr auto lo = [](std::size_t value) { return static_cast<std::uint8_t>(value & 0xFF); };
    constexpr auto hi = [](std::size_t value) { return static_cast<std::uint8_t>(value >> 8); };
    // The message follows the code in the load module, which DOS places at CS:0000.
    constexpr std::size_t messageAt = DosCodeSize;
    constexpr std::size_t lastPage = DosProgramSize % 512;   // bytes used in the last 512-byte page
    constexpr std::size_t pages = (DosProgramSize + 511) / 512;
    std::array<std::uint8_t, DosProgramSize> bytes{
        // MZ header, little-endian words.
        'M', 'Z',                 // signature
        lo(lastPage), hi(lastPage),   // bytes in the last page: the file ends for DOS here,
        lo(pages), hi(pages),     // pages of the load module (the rest is data DOS never loads)
        0x00, 0x00,               // relocations: none
        0x02, 0x00,               // header size in paragraphs (32 bytes)
        0x40, 0x00,               // least extra memory: 64 paragraphs, room for the stack
        0xFF, 0xFF,               // most extra memory: all
        0x00, 0x00,               // SS, relative to the load module
        0x00, 0x04,               // SP = 0400h, inside the extra memory
        0x00, 0x00,               // checksum (not checked)
        0x00, 0x00,               // IP = 0000h
        0x00, 0x00,               // CS, relative to the load module
        0x1C, 0x00,               // relocation table at 1Ch (empty)
        0x00, 0x00,               // overlay number
        0x00, 0x00, 0x00, 0x00,   // padding up to the header size

        // Code, at CS:0000. DS points at the PSP on entry; the message lies in the code segment.
        0x0E,                               // push cs
        0x1F,                               // pop ds             ; DS = CS
        0xBA, lo(messageAt), hi(messageAt), // mov dx, message
        0xB4, 0x09,                         // mov ah, 09h        ; DOS: print the text up to "$"
        0xCD, 0x21,                         // int 21h
        0xB8, 0x00, 0x4C,                   // mov ax, 4C00h      ; DOS: end the program, exit code 0
        0xCD, 0x21,                         // int 21h
    };
    for (std::size_t i = 0; i < DosProgramMessage.size(); ++i)
        bytes[DosHeaderSize + DosCodeSize + i] = static_cast<std::uint8_t>(DosProgramMessage[i]);
    return bytes;
}

static_assert(DosProgramSize < 6001, "the program ends before the first of the game's places");

} // namespace quorvex::demo
