// The "Material/Palette" page driven through its widgets on a demo game: selecting cells,
// editing colours and materials, the four buttons, reloading after an activation or a new
// game folder, and its look in the colour schemes.
#include "browser_support.h"
#include "gui/controls/color_selector_control.h"
#include "core/formats/palette.h"
#include "core/base/places.h"
#include "core/palette/palette_editor.h"
#include "gui/palette/palette_page.h"
#include "core/shell/settings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QStyleFactory>
#include <QTabWidget>
#include <QTest>
#include <gtest/gtest.h>

namespace fs = std::filesystem;
using namespace quorvex;
using namespace quorvex::test;

namespace {

void press(QWidget* widget, QPoint at)
{
    QMouseEvent down(QEvent::MouseButtonPress, QPointF(at), widget->mapToGlobal(QPointF(at)), Qt::LeftButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &down);
    QMouseEvent up(QEvent::MouseButtonRelease, QPointF(at), widget->mapToGlobal(QPointF(at)), Qt::LeftButton,
                   Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &up);
}

struct PalettePageTest : ::testing::Test {
    MainFormFixture fixture;
    std::unique_ptr<TMainForm> form;
    PalettePage* page = nullptr;
    fs::path exe = fixture.demo.workspace.torloExe();

    void open(std::unique_ptr<TMainForm> opened = {})
    {
        form = opened ? std::move(opened) : fixture.create();
        form->showPage(TMainForm::Page::MaterialPalette);
        form->resize(1024, 768);
        form->show();
        page = form->findChild<PalettePage*>();
        ASSERT_NE(page, nullptr);
    }
    void TearDown() override
    {
        if (form)
            form->close();
    }

    template <typename W>
    W* control(const char* name)
    {
        auto* widget = find<W>(form.get(), name);
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    QString label(const char* name) { return control<QLabel>(name)->text(); }
    QComboBox* materialList() { return control<QComboBox>("MaterEdit"); }
    void selectCell(int index) { press(page->grid(), page->grid()->cellRect(index).center()); }
    void chooseMaterial(const QString& caption)
    {
        const int item = materialList()->findText(caption);
        materialList()->setCurrentIndex(item);
        emit materialList()->activated(item);   // as the user's choice does
    }
    QColor cellColour(int index)
    {
        return page->grid()->grab().toImage().pixelColor(page->grid()->cellRect(index).center());
    }
    Bytes exeBytes(std::uint32_t at, std::size_t size)
    {
        const auto bytes = readBytes(exe);
        return Bytes(bytes.begin() + at, bytes.begin() + at + static_cast<std::ptrdiff_t>(size));
    }
    bool materialBit(std::size_t set, int colour)
    {
        return (exeBytes(places::Materials + 32 * set + colour / 8, 1)[0] >> (colour % 8)) & 1;
    }
    void setMaterialBit(std::size_t set, int colour)
    {
        auto bytes = readBytes(exe);
        bytes[places::Materials + 32 * set + colour / 8] |= static_cast<std::uint8_t>(1 << (colour % 8));
        writeBytes(exe, bytes);
    }
    std::string log() { return readText(fixture.demo.workspace.logFile()); }
};

TEST_F(PalettePageTest, BeforeACellIsSelectedNothingCanBeEdited)
{
    open();
    EXPECT_EQ(label("IndexLabel"), "-");
    EXPECT_EQ(label("RLabel"), "R: 0");
    EXPECT_EQ(label("IndexCaption"), "Index:");
    EXPECT_EQ(control<QGroupBox>("ColorGroup")->title(), " Color ");
    EXPECT_EQ(control<QGroupBox>("MaterialGroup")->title(), " Material ");
    QStringList items;
    for (int i = 0; i < materialList()->count(); ++i)
        items << materialList()->itemText(i);
    EXPECT_EQ(items, (QStringList{"Brown dirt", "Green dirt", "Rock", "Undefined"}));
    for (const char* name : {"ColorSelector1", "MaterEdit", "ShadowBox", "BackGrBox"})
        EXPECT_FALSE(control<QWidget>(name)->isEnabled()) << name;
    for (const char* name : {"SavePalBut", "ResetPalBut", "SaveMater", "PL2But"})
        EXPECT_TRUE(control<QPushButton>(name)->isEnabled()) << name;
    const auto materials = page->materials();
    page->MaterEditChange();   // even if reached, nothing is stored without a colour
    page->ShadowBoxClick();
    EXPECT_EQ(page->materials(), materials);
    EXPECT_TRUE(fixture.prompts.shown.empty());
}

TEST_F(PalettePageTest, SelectingACellShowsItsColourAndMaterial)
{
    setMaterialBit(1, 9);   // colour 9: green dirt and rock
    setMaterialBit(2, 9);
    setMaterialBit(3, 9);   // and background
    open();
    const auto game = exeBytes(places::GamePalette + 3 * 37, 3);
    selectCell(37);
    EXPECT_EQ(label("IndexLabel"), "37");
    EXPECT_EQ(label("RLabel"), QString("R: %1").arg(game[0] * 4));
    EXPECT_EQ(label("GLabel"), QString("G: %1").arg(game[1] * 4));
    EXPECT_EQ(label("BLabel"), QString("B: %1").arg(game[2] * 4));
    EXPECT_EQ(page->colorSelector()->color(), qRgb(game[0] * 4, game[1] * 4, game[2] * 4));
    EXPECT_EQ(cellColour(37), QColor(game[0] * 4, game[1] * 4, game[2] * 4));
    for (const char* name : {"ColorSelector1", "MaterEdit", "ShadowBox", "BackGrBox"})
        EXPECT_TRUE(control<QWidget>(name)->isEnabled()) << name;

    selectCell(9);
    EXPECT_EQ(materialList()->currentText(), "Rock");
    EXPECT_TRUE(control<QCheckBox>("BackGrBox")->isChecked());
    EXPECT_FALSE(control<QCheckBox>("ShadowBox")->isChecked());

    // The keyboard moves the selection too.
    QTest::keyClick(page->grid(), Qt::Key_Down);
    EXPECT_EQ(label("IndexLabel"), "25");

    // Saving puts the colour into the rock set only.
    control<QPushButton>("SaveMater")->click();
    EXPECT_EQ(label("StatusText"), "Materials and colors saved");
    EXPECT_NE(log().find(": Materials and colors saved"), std::string::npos);
    EXPECT_TRUE(materialBit(2, 9));
    EXPECT_FALSE(materialBit(1, 9));
    EXPECT_TRUE(materialBit(3, 9));
}

TEST_F(PalettePageTest, AColourPickedInTheSelectorIsSavedAsTheGameKeepsIt)
{
    open();
    selectCell(5);
    fixture.prompts.colours.push_back(0x030AFF);   // 255, 10, 3 from the colour dialog
    press(page->colorSelector(), {5, 5});
    auto* dropDown = page->colorSelector()->dropDown();
    ASSERT_NE(dropDown, nullptr);
    press(dropDown, dropDown->otherButtonRect().topLeft() + QPoint(8, 8));
    EXPECT_EQ(page->workingPalette()[5], (Rgb{255, 10, 3}));
    EXPECT_EQ(cellColour(5), QColor(255, 10, 3));
    // The channels of the new colour at once, as picked (the game keeps them when saved).
    EXPECT_EQ(label("RLabel") + label("GLabel") + label("BLabel"), "R: 255G: 10B: 3");

    control<QPushButton>("SaveMater")->click();
    EXPECT_EQ(exeBytes(places::GamePalette + 15, 3), (Bytes{63, 2, 0}));
    EXPECT_EQ(page->workingPalette()[5], (Rgb{252, 8, 0}));
    EXPECT_EQ(form->workingPalette()[5], (Rgb{252, 8, 0}));
    EXPECT_EQ(cellColour(5), QColor(252, 8, 0));
    EXPECT_EQ(label("RLabel"), "R: 252");
}

TEST_F(PalettePageTest, TheMaterialListAndTheBoxesChangeTheSelectedColour)
{
    open();
    selectCell(200);
    chooseMaterial("Green dirt");
    control<QCheckBox>("ShadowBox")->click();
    const bool background = control<QCheckBox>("BackGrBox")->isChecked();
    control<QCheckBox>("BackGrBox")->click();
    EXPECT_EQ(page->materials().kind[200], KindGreenDirt);
    EXPECT_EQ(page->materials().shadow[200], control<QCheckBox>("ShadowBox")->isChecked() ? 1 : 0);
    EXPECT_EQ(page->materials().background[200], background ? 0 : 1);
    selectCell(201);
    chooseMaterial("Undefined");
    EXPECT_EQ(page->materials().kind[201], KindUndefined);

    control<QPushButton>("SaveMater")->click();
    EXPECT_TRUE(materialBit(1, 200));
    EXPECT_FALSE(materialBit(0, 201) || materialBit(1, 201) || materialBit(2, 201));
    EXPECT_EQ(materialBit(3, 200), !background);
}

TEST_F(PalettePageTest, APowerlevel2ActivationReloadsTheMaterialsSoSavingKeepsThem)
{
    // A powerlevel 2 whose materials differ from the game's.
    const auto file = fixture.demo.game() / "mods" / "MOSSYPL2.LEV";
    auto level = readBytes(file);
    for (std::size_t i = 0; i < 160; ++i)
        level[177178 + i] = static_cast<std::uint8_t>(i * 13);
    writeBytes(file, level);
    open(openOnMods(fixture, "MOSSYPL2.LEV"));
    const Bytes levelMaterials(level.begin() + 177178, level.end());
    ASSERT_NE(exeBytes(places::Materials, 160), levelMaterials);
    selectCell(12);
    click(form.get(), "ActivateButton");
    EXPECT_EQ(statusText(form.get()), "Level activated");
    EXPECT_EQ(exeBytes(places::Materials, 160), levelMaterials);
    EXPECT_EQ(page->materials(), materialsFromBlock(levelMaterials));
    EXPECT_EQ(page->workingPalette(), paletteFrom6Bit(Bytes(level.begin() + 176410, level.begin() + 177178)));
    EXPECT_EQ(label("IndexLabel"), "12");   // the selection shows the new values
    EXPECT_EQ(materialList()->currentIndex(),
              static_cast<int>(materialItemFor(materialsFromBlock(levelMaterials).kind[12])));

    control<QPushButton>("SaveMater")->click();
    EXPECT_EQ(Materials(materialsFromBlock(exeBytes(places::Materials, 160))), materialsFromBlock(levelMaterials));
}

TEST_F(PalettePageTest, ANewGameFolderReplacesWhatThePageHolds)
{
    open();
    DemoGame other;
    auto bytes = readBytes(other.workspace.torloExe());
    for (std::size_t i = 0; i < 160; ++i)
        bytes[places::Materials + i] = static_cast<std::uint8_t>(i * 13);
    bytes[places::GamePalette + 3] = 7;
    writeBytes(other.workspace.torloExe(), bytes);
    const auto first = readBytes(exe);

    form->setGameFolder(other.game());
    EXPECT_EQ(page->materials(), loadMaterials(other.workspace));
    EXPECT_EQ(page->workingPalette()[1].red, 28);
    control<QPushButton>("SaveMater")->click();
    EXPECT_EQ(readBytes(exe), first);   // nothing of the new game went into the old one

    // A folder without a game: the page can not save what it no longer holds.
    form->setGameFolder(fixture.demo.scratch / "nowhere");
    EXPECT_FALSE(control<QPushButton>("SaveMater")->isEnabled());
    EXPECT_FALSE(control<QPushButton>("PL2But")->isEnabled());
}

TEST_F(PalettePageTest, SavePaletteExportsTheGamePaletteAndRefusesOtherNames)
{
    open();
    const auto target = fixture.demo.scratch / "export";
    fixture.prompts.files.push_back(target);
    control<QPushButton>("SavePalBut")->click();
    EXPECT_EQ(fixture.prompts.filters.back(), PaletteExportFilter);
    EXPECT_EQ(label("StatusText"), "Palette saved");
    EXPECT_EQ(fs::file_size(fs::path(target) += ".ACT"), 768u);

    fixture.prompts.files.push_back(fixture.demo.scratch / "notes.txt");
    control<QPushButton>("SavePalBut")->click();
    EXPECT_EQ(label("StatusText"), "Palette not saved: use a .ACT or .PAL name");
    EXPECT_FALSE(fs::exists(fixture.demo.scratch / "notes.txt"));

    fixture.prompts.files.push_back(std::nullopt);
    control<QPushButton>("SavePalBut")->click();
    EXPECT_EQ(label("StatusText"), "Palette not saved: use a .ACT or .PAL name");
}

TEST_F(PalettePageTest, AnExportedPaletteShowsInTheFileList)
{
    open(openOnMods(fixture));
    ASSERT_FALSE(listed(form.get()).contains("mine.pal"));
    fixture.prompts.files.push_back(fixture.demo.game() / "mods" / "mine.pal");
    control<QPushButton>("SavePalBut")->click();
    EXPECT_EQ(label("StatusText"), "Palette saved");
    EXPECT_TRUE(listed(form.get()).contains("mine.pal"));
}

TEST_F(PalettePageTest, ResetPaletteKeepsTheMaterialSettings)
{
    open();
    selectCell(3);
    chooseMaterial("Rock");
    control<QPushButton>("ResetPalBut")->click();
    EXPECT_EQ(label("StatusText"), "Original palette re-activated!");
    EXPECT_NE(log().find(": Original palette reset"), std::string::npos);
    EXPECT_EQ(page->materials().kind[3], KindRock);   // the unsaved material setting stays
    EXPECT_EQ(materialList()->currentText(), "Rock");
    const ResourceFile resources(fixture.demo.workspace.resourceFile);
    EXPECT_EQ(page->workingPalette()[3].green, to8Bit(to6Bit(resources.defaultColour(3).green)));
    EXPECT_TRUE(fixture.prompts.shown.empty());
    fixture.prompts.unsaved = {Prompts::Unsaved::Discard};   // closing asks about the unsaved material
}

TEST_F(PalettePageTest, SaveToPl2SavesTheMaterialsThenAddsThemToTheChosenLevel)
{
    open();
    const auto level = fixture.demo.scratch / "meadow.lev";
    fs::copy_file(fixture.demo.game() / "mods" / "MEADOW.LEV", level);
    selectCell(44);
    chooseMaterial("Green dirt");
    fixture.prompts.files.push_back(level);
    control<QPushButton>("PL2But")->click();
    EXPECT_EQ(fixture.prompts.filters.back(), LevelFilter);
    EXPECT_EQ(label("StatusText"), "Materials + palette added to level");
    EXPECT_TRUE(materialBit(1, 44));
    const auto bytes = readBytes(level);
    ASSERT_EQ(bytes.size(), 177338u);
    EXPECT_EQ(Bytes(bytes.begin() + 177178, bytes.end()), exeBytes(places::Materials, 160));

    // Cancelled: the materials are saved all the same, as the button says first.
    fixture.prompts.files.push_back(std::nullopt);
    control<QPushButton>("PL2But")->click();
    EXPECT_EQ(label("StatusText"), "Materials and colors saved");
}

TEST_F(PalettePageTest, ThePageFitsItsTabAndReadsInEveryColourScheme)
{
    const auto shots = qEnvironmentVariable("QUORVEX_SHOTS_DIR");
    const auto appPalette = QApplication::palette();
    struct Scheme {
        const char* name;
        bool dark;
    };
    for (const auto& scheme : {Scheme{"TorloNet-Blue", false}, Scheme{"Black-White", false}, Scheme{"White-Black", false},
                               Scheme{"Standard Windows", true}}) {
        for (const auto& entry : ColourSchemes)
            if (std::string_view(entry.caption) == scheme.name) {
                fixture.settings.setInteger(setting::FG, entry.foreground);
                fixture.settings.setInteger(setting::BG, entry.background);
            }
        if (scheme.dark) {   // a dark desktop theme
            auto dark = appPalette;
            dark.setColor(QPalette::Window, QColor(40, 40, 44));
            dark.setColor(QPalette::WindowText, QColor(230, 230, 230));
            dark.setColor(QPalette::Button, QColor(55, 55, 60));
            dark.setColor(QPalette::ButtonText, QColor(235, 235, 235));
            dark.setColor(QPalette::Base, QColor(30, 30, 30));
            dark.setColor(QPalette::Text, QColor(235, 235, 235));
            QApplication::setPalette(dark);
        }
        open();
        form->FormActivate();
        selectCell(0x2B);
        QCoreApplication::processEvents();
        auto* tab = form->page(TMainForm::Page::MaterialPalette);
        for (auto* widget : page->findChildren<QWidget*>()) {
            if (!widget->isVisibleTo(tab) || widget->isWindow())
                continue;
            const QRect area(widget->mapTo(tab, QPoint(0, 0)), widget->size());
            EXPECT_TRUE(tab->rect().contains(area)) << widget->objectName().toStdString();
        }
        // The selection mark: black and white rings around the cell, whatever its colour.
        const auto grid = page->grid()->grab().toImage();
        const auto cell = page->grid()->cellRect(0x2B);
        EXPECT_EQ(grid.pixelColor(cell.topLeft() - QPoint(2, 2)), QColor(Qt::black));
        EXPECT_EQ(grid.pixelColor(cell.topLeft() - QPoint(1, 1)), QColor(Qt::white));
        // The selector's arrow stands out from its face.
        const auto selector = page->colorSelector()->grab().toImage();
        EXPECT_GT(std::abs(qGray(selector.pixel(35, 10)) - qGray(selector.pixel(35, 16))), 80) << scheme.name;
        if (!shots.isEmpty()) {
            page->grab().save(QString("%1/palette-page-%2.png").arg(shots, QString(scheme.name).replace(' ', '-')));
            if (std::string_view(scheme.name) == "TorloNet-Blue")
                form->grab().save(shots + "/palette-window.png");
            press(page->colorSelector(), {5, 5});
            const auto dropDown = page->colorSelector()->dropDown()->grab().toImage();
            dropDown.scaled(dropDown.size() * 3)
                .save(QString("%1/color-form-%2.png").arg(shots, QString(scheme.name).replace(' ', '-')));
            page->colorSelector()->dropDown()->close();
        }
        form->close();
        form.reset();
        QApplication::setPalette(appPalette);
    }
}

} // namespace
