// Every bitmap Quorvex writes must open in ordinary image programs: Qt's reader stands in for
// them here, and each sampled pixel must show the colour its index names in the file's table.
#include "core/formats/conversion.h"
#include "core/formats/graphics_mod.h"
#include "core/formats/preview.h"
#include "modules/desktop/qt_platform.h"
#include "test_support.h"

#include <QImage>
#include <gtest/gtest.h>

namespace fs = std::filesystem;
using namespace quorvex;

namespace {

std::uint32_t little32(const Bytes& bytes, std::size_t at)
{
    return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 | static_cast<std::uint32_t>(bytes[at + 3]) << 24;
}

// Loads the bitmap with Qt and compares a grid of pixels with the file's own index and table.
void expectReadableBitmap(const Bytes& bytes, int width, int height, const std::string& what)
{
    SCOPED_TRACE(what);
    const auto image = QImage::fromData(QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size())), "BMP");
    ASSERT_FALSE(image.isNull());
    ASSERT_EQ(image.size(), QSize(width, height));
    const auto pixels = little32(bytes, 10);
    for (int y = 0; y < height; y += std::max(1, height / 37)) {
        for (int x = 0; x < width; x += std::max(1, width / 23)) {
            const auto index = bytes[pixels + std::size_t(height - 1 - y) * width + x];
            const auto* entry = &bytes[54 + 4 * index];
            ASSERT_EQ(image.pixelColor(x, y), QColor(entry[2], entry[1], entry[0])) << x << "," << y;
        }
    }
}

struct Sample {
    const char* file;
    int width, height;
};

} // namespace

TEST(FormatBitmaps, ConversionsOpenInAnImageReader)
{
    test::DemoGame demo;
    const auto mods = demo.game() / "mods";
    for (const auto& sample : {Sample{"MEADOW.LEV", 504, 350}, Sample{"CANYON.LEV", 504, 350}, Sample{"SUNSET.LEV", 504, 350},
                               Sample{"PASTEL.ACT", 16, 16}, Sample{"WARM.PAL", 16, 16}, Sample{"COOL.PAL", 16, 16},
                               Sample{"NEONGFX.CHR", 16, 2790}}) {
        const auto target = demo.scratch / (std::string(sample.file) + ".bmp");
        const auto outcome = convertFile(mods / sample.file, demo.workspace,
                                         [&](const std::string&, const fs::path&) { return target; }, false);
        ASSERT_TRUE(outcome.succeeded()) << sample.file << ": " << outcome.status;
        expectReadableBitmap(test::readBytes(target), sample.width, sample.height, sample.file);
    }
}

TEST(FormatBitmaps, PreviewsAndWeaponBitmapOpenInAnImageReader)
{
    test::DemoGame demo;
    const auto mods = demo.game() / "mods";
    for (const auto& sample : {Sample{"MEADOW.LEV", 504, 350}, Sample{"MOSSYPL2.LEV", 504, 350}, Sample{"ISLANDS.BMP", 504, 350},
                               Sample{"NIGHT.LPL", 16, 16}, Sample{"COOL.PAL", 16, 16}, Sample{"NEONGFX.CHR", 16, 2790}}) {
        for (bool gamePalette : {true, false}) {
            const auto preview = buildPreview(mods / sample.file, demo.workspace, gamePalette);
            ASSERT_FALSE(preview.bitmap.empty()) << sample.file << ": " << preview.status;
            writePreviewBitmap(demo.workspace, preview);
            expectReadableBitmap(test::readBytes(demo.workspace.previewBitmap()), sample.width, sample.height, sample.file);
        }
    }
    ASSERT_TRUE(buildWeaponBitmap(demo.workspace).succeeded());
    expectReadableBitmap(test::readBytes(demo.workspace.weaponBitmap()), 16, 2790, "weapon.bmp");
}
