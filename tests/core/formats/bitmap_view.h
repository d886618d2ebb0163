#pragma once
// Reads back the bitmaps the program writes, independently of the code that built them: the
// header fields an image reader relies on, and the colour of a pixel through the colour table.
#include "core/gamefile/resource_file.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace quorvex::test {

struct BitmapView {
    const std::vector<std::uint8_t>& bytes;

    std::uint32_t u32(std::size_t at) const
    {
        return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 | static_cast<std::uint32_t>(bytes[at + 3]) << 24;
    }
    std::uint16_t u16(std::size_t at) const { return static_cast<std::uint16_t>(bytes[at] | bytes[at + 1] << 8); }
    int width() const { return static_cast<int>(u32(18)); }
    int height() const { return static_cast<int>(u32(22)); }

    // A well-formed uncompressed 8-bit bitmap of width by height whose pixels start at 1078.
    void expectShape(int w, int h) const
    {
        ASSERT_GE(bytes.size(), 1078u + static_cast<std::size_t>(w) * h);
        EXPECT_EQ(bytes[0], 'B');
        EXPECT_EQ(bytes[1], 'M');
        EXPECT_EQ(u32(10), 1078u);
        EXPECT_EQ(u32(14), 40u);
        EXPECT_EQ(width(), w);
        EXPECT_EQ(height(), h);   // positive: bottom-up
        EXPECT_EQ(u16(26), 1);
        EXPECT_EQ(u16(28), 8);
        EXPECT_EQ(u32(30), 0u);
    }
    // The palette index at picture column x, row y (row 0 at the top).
    std::uint8_t index(int x, int y) const
    {
        const auto stride = static_cast<std::size_t>((width() + 3) / 4 * 4);
        return bytes[1078 + static_cast<std::size_t>(height() - 1 - y) * stride + static_cast<std::size_t>(x)];
    }
    Rgb colour(int x, int y) const
    {
        const auto* entry = &bytes[54 + 4 * index(x, y)];
        return {entry[2], entry[1], entry[0]};
    }
    std::uint8_t fourth(int entry) const { return bytes[54 + 4 * entry + 3]; }
};

} // namespace quorvex::test
