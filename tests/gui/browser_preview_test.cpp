// The "Graphics" page: what each kind of file shows, its pixels, and the pointer details.
#include "browser_support.h"

#include <QScrollArea>

namespace fs = std::filesystem;
using namespace quorvex;
using namespace quorvex::test;

namespace {

QImage levelImage(QWidget* form)
{
    return find<QLabel>(form, "LevelImage")->pixmap().toImage();
}

bool visible(QWidget* form, const char* name)
{
    return !find<QWidget>(form, name)->isHidden();
}

} // namespace

TEST(BrowserPreview, PlainLevelShowsItsPixelsInTheDefaultPalette)
{
    MainFormFixture fixture;
    auto form = openOnMods(fixture, "MEADOW.LEV");
    EXPECT_EQ(statusText(form.get()), "This is a normal level");
    EXPECT_TRUE(visible(form.get(), "LevelImage"));
    EXPECT_FALSE(visible(form.get(), "ChrScrollBox"));
    const auto image = levelImage(form.get());
    ASSERT_EQ(image.size(), QSize(504, 350));
    const auto level = readBytes(fixture.demo.game() / "mods" / "MEADOW.LEV");
    const auto resources = readBytes(QUORVEX_TEST_RESOURCE_FILE);
    for (const QPoint at : {QPoint(0, 0), QPoint(503, 0), QPoint(0, 349), QPoint(250, 175), QPoint(503, 349)}) {
        const auto index = level[at.y() * 504 + at.x()];
        const auto* entry = &resources[54 + 4 * index];   // blue, green, red
        EXPECT_EQ(image.pixelColor(at), QColor(entry[2], entry[1], entry[0])) << at.x() << "," << at.y();
    }
}

TEST(BrowserPreview, PowerlevelsShowTheirOwnPalette)
{
    MainFormFixture fixture;
    auto form = openOnMods(fixture, "SUNSET.LEV");
    EXPECT_EQ(statusText(form.get()), "This is a Powerlevel");
    const auto level = readBytes(fixture.demo.game() / "mods" / "SUNSET.LEV");
    const auto image = levelImage(form.get());
    for (const QPoint at : {QPoint(10, 10), QPoint(400, 300)}) {
        const auto index = level[at.y() * 504 + at.x()];
        const auto* colour = &level[176410 + 3 * index];
        EXPECT_EQ(image.pixelColor(at), QColor(colour[0] * 4, colour[1] * 4, colour[2] * 4));
    }
    ASSERT_TRUE(select(form.get(), "MOSSYPL2.LEV"));
    EXPECT_EQ(statusText(form.get()), "This is a Powerlevel 2");
}

TEST(BrowserPreview, PalettesShowAGridAndNameTheColourUnderThePointer)
{
    MainFormFixture fixture;
    auto form = openOnMods(fixture, "PASTEL.ACT");
    EXPECT_EQ(statusText(form.get()), "Palette viewed");
    // The grid fills the picture in sharp cells: the pixel under the pointer has the colour named.
    const auto image = levelImage(form.get());
    ASSERT_EQ(image.size(), QSize(504, 350));
    const auto palette = readBytes(fixture.demo.game() / "mods" / "PASTEL.ACT");
    auto colour = [&](int index) { return QColor(palette[3 * index], palette[3 * index + 1], palette[3 * index + 2]); };
    EXPECT_EQ(image.pixelColor(0, 0), colour(0));
    EXPECT_EQ(image.pixelColor(503, 349), colour(255));
    EXPECT_EQ(image.pixelColor(100, 200), colour(147));
    EXPECT_EQ(image.pixelColor(110, 210), colour(147));

    auto* picture = find<QLabel>(form.get(), "LevelImage");
    moveMouse(picture, {100, 200});
    EXPECT_EQ(colourText(form.get()), "Color: 147");
    moveMouse(picture, {503, 349});
    EXPECT_EQ(colourText(form.get()), "Color: 255");
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(picture, &leave);
    EXPECT_EQ(colourText(form.get()), "Color:");
    moveMouse(picture, {503, 349});

    for (const char* other : {"COOL.PAL", "WARM.PAL", "NIGHT.LPL"}) {
        ASSERT_TRUE(select(form.get(), other));
        EXPECT_EQ(statusText(form.get()), "Palette viewed") << other;
    }
    // Over a level the pointer reports nothing.
    ASSERT_TRUE(select(form.get(), "CANYON.LEV"));
    moveMouse(picture, {0, 0});
    EXPECT_EQ(colourText(form.get()), "Color: 255");
}

TEST(BrowserPreview, StretchedLevelPictureStillNamesTheCellUnderThePointer)
{
    MainFormFixture fixture;
    fixture.settings.setText("Stretch", "yes");
    auto form = openOnMods(fixture, "PASTEL.ACT");
    form->FormActivate();
    auto* picture = find<QLabel>(form.get(), "LevelImage");
    EXPECT_EQ(picture->geometry(), QRect(8, 1, 504, 420));
    moveMouse(picture, {0, 419});
    EXPECT_EQ(colourText(form.get()), "Color: 240");
    fixture.settings.setText("Stretch", "no");
    form->FormActivate();
    EXPECT_EQ(picture->geometry(), QRect(8, 35, 504, 350));
}

TEST(BrowserPreview, GraphicsModShowsItsStripAndMagnifiesTheSpriteUnderThePointer)
{
    MainFormFixture fixture;
    auto form = openOnMods(fixture, "NEONGFX.CHR");
    EXPECT_EQ(statusText(form.get()), "GFX Mod viewed. Move your mouse across the picture to see detail");
    EXPECT_FALSE(visible(form.get(), "LevelImage"));
    EXPECT_TRUE(visible(form.get(), "ChrScrollBox"));
    EXPECT_TRUE(visible(form.get(), "ChrImage2"));
    EXPECT_EQ(find<QScrollArea>(form.get(), "ChrScrollBox")->geometry(), QRect(0, 0, 40, 405));
    EXPECT_EQ(find<QLabel>(form.get(), "ChrImage2")->geometry(), QRect(40, 0, 32, 32));

    auto* strip = find<QLabel>(form.get(), "ChrImage");
    const auto stripImage = strip->pixmap().toImage();
    ASSERT_EQ(stripImage.size(), QSize(16, 2790));
    auto* detail = find<QLabel>(form.get(), "ChrImage2");

    // A 16-pixel sprite: every pixel a 2x2 square.
    moveMouse(strip, {5, 20});
    EXPECT_EQ(colourText(form.get()), QString("Color: %1").arg(stripImage.pixelColor(5, 20).red()));
    auto zoom = detail->pixmap().toImage();
    for (const QPoint at : {QPoint(0, 0), QPoint(7, 3), QPoint(15, 15)})
        EXPECT_EQ(zoom.pixelColor(at * 2 + QPoint(1, 1)), stripImage.pixelColor(at + QPoint(0, 16)));

    // A 4-pixel sprite: 6x6 squares, the rest of the view in the background colour.
    moveMouse(strip, {1, 2680});
    zoom = detail->pixmap().toImage();
    EXPECT_EQ(zoom.pixelColor(6 * 3 + 5, 6 * 3 + 5), stripImage.pixelColor(3, 2677 + 3));
    EXPECT_EQ(zoom.pixelColor(30, 30), QColor(255, 64, 128));

    moveMouse(detail, {30, 30});
    EXPECT_EQ(colourText(form.get()), "Color: 255");

    // Back to a level: the strip goes, the picture returns.
    ASSERT_TRUE(select(form.get(), "CANYON.LEV"));
    EXPECT_TRUE(visible(form.get(), "LevelImage"));
    EXPECT_FALSE(visible(form.get(), "ChrScrollBox"));
}

TEST(BrowserPreview, FilesThatCannotBeShownSaySo)
{
    MainFormFixture fixture;
    const auto mods = fixture.demo.game() / "mods";
    writeBytes(mods / "SHORT.CHR", std::vector<std::uint8_t>(100, 1));
    writeBytes(mods / "SMALL.BMP", std::vector<std::uint8_t>(1000, 1));
    writeBytes(mods / "BAD.ACT", std::vector<std::uint8_t>(700, 1));
    auto form = openOnMods(fixture);
    for (const auto& [file, status] : std::vector<std::pair<QString, QString>>{
             {"SHORT.CHR", "Not a valid GFX Mod"},
             {"SMALL.BMP", "This is a not a level BMP"},
             {"BAD.ACT", "This is not a valid palette"},
             {"CRUNCHY.SND", "Can not view this"}}) {
        ASSERT_TRUE(select(form.get(), file));
        EXPECT_EQ(statusText(form.get()), status) << file.toStdString();
    }
    EXPECT_TRUE(fixture.prompts.shown.empty());
}

TEST(BrowserPreview, AFileThatIsNoLevelOrBitmapClearsThePreviousPicture)
{
    MainFormFixture fixture;
    const auto mods = fixture.demo.game() / "mods";
    auto damaged = readBytes(mods / "ISLANDS.BMP");
    std::fill(damaged.begin(), damaged.begin() + 54, 0);   // a level bitmap's size, no header
    writeBytes(mods / "DAMAGED.BMP", damaged);
    writeBytes(mods / "EMPTY.LEV", {});
    writeBytes(mods / "ODD.LEV", std::vector<std::uint8_t>(1234, 9));
    auto form = openOnMods(fixture, "MEADOW.LEV");
    for (const auto& [file, status] : std::vector<std::pair<QString, QString>>{
             {"DAMAGED.BMP", "This is not a valid level BMP"},
             {"EMPTY.LEV", "This is not a valid level"},
             {"ODD.LEV", "This is not a valid level"}}) {
        ASSERT_TRUE(select(form.get(), "MEADOW.LEV"));
        ASSERT_FALSE(levelImage(form.get()).isNull());
        ASSERT_TRUE(select(form.get(), file));
        EXPECT_EQ(statusText(form.get()), status) << file.toStdString();
        EXPECT_TRUE(levelImage(form.get()).isNull()) << file.toStdString();
    }
    EXPECT_TRUE(fixture.prompts.shown.empty());
}
