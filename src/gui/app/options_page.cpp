#include "gui/app/options_page.h"
#include "gui/app/backup_control.h"
#include "gui/host/page_host.h"
#include "core/text/number_text.h"
#include "modules/desktop/file_classes.h"
#include "modules/desktop/qt_platform.h"
#include "core/shell/activity_log.h"
#include "core/shell/blood.h"
#include "core/shell/settings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace fs = std::filesystem;

namespace quorvex {

namespace {

QCheckBox* box(const char* caption, const char* name, bool ticked, QLayout* into)
{
    auto* check = new QCheckBox(caption);
    check->setObjectName(name);
    check->setChecked(ticked);
    into->addWidget(check);
    return check;
}

QPushButton* button(const char* caption, const char* name)
{
    auto* b = new QPushButton(caption);
    b->setObjectName(name);
    return b;
}

const char* yesNo(const QCheckBox* box)
{
    return box->isChecked() ? "yes" : "no";
}

} // namespace

OptionsPage::OptionsPage(PageHost& host, FileClassStore& fileClasses, Window window, QWidget* parent)
    : QWidget(parent), host_(host), fileClasses_(fileClasses), window_(std::move(window))
{
    auto* layout = new QVBoxLayout(this);
    auto* intro = new QLabel("For more information on these options, please read the helpfile");
    intro->setObjectName("OptionsLabel");
    layout->addWidget(intro);

    auto* columns = new QHBoxLayout;
    groups_ = new QVBoxLayout;
    auto* right = new QVBoxLayout;
    columns->addLayout(groups_, 1);
    columns->addLayout(right, 1);
    layout->addLayout(columns);

    // Blood beside the path: the column then holds the programs and still fits 1024 by 768.
    auto* firstRow = new QHBoxLayout;
    firstRow->addWidget(buildBloodGroup());
    firstRow->addWidget(buildPathGroup(), 1);
    groups_->addLayout(firstRow);
    groups_->addWidget(buildAppearanceGroup());
    groups_->addWidget(buildProgramsGroup());
    groups_->addStretch();
    // Under the shorter column, so that the page fits a 1024 by 768 screen.
    auto* doAll = button("Do all", "DoAllButton");
    connect(doAll, &QPushButton::clicked, this, [this] { host_.guarded([this] { DoAllButtonClick(); }); });
    groups_->addWidget(doAll, 0, Qt::AlignRight);
    auto* restore = new BackupControl(host_, this);   // the groups in reading order, the columns first
    right->addWidget(buildExtensionsGroup());
    right->addWidget(buildMiscGroup());
    right->addStretch();
    // The backups below both columns: the whole width for long level paths.
    layout->addWidget(restore, 1);

    // The path box shows the game folder, also when activation found another one stored.
    connect(&host_.gameEvents(), &GameEvents::gameFolderChanged, this,
            [this] { pathEdit->setText(fromPath(host_.workspace().gameFolder)); });
}

void OptionsPage::addGroup(QWidget* group)
{
    groups_->insertWidget(groups_->count() - 2, group);   // above the stretch and "Do all"
}

QWidget* OptionsPage::buildBloodGroup()
{
    auto* group = new QGroupBox(" Blood ");
    group->setObjectName("BloodGroup");
    auto* line = new QHBoxLayout(group);
    bloodEdit = new QLineEdit("100");
    bloodEdit->setObjectName("BloodEdit");
    bloodEdit->setMaxLength(5);
    bloodEdit->setFixedWidth(bloodEdit->fontMetrics().horizontalAdvance("000000") + 12);
    line->addWidget(bloodEdit);
    line->addWidget(new QLabel("%"));
    line->addStretch();
    return group;
}

QWidget* OptionsPage::buildPathGroup()
{
    auto* group = new QGroupBox(" Torlo Path ");
    group->setObjectName("PathGroup");
    auto* line = new QHBoxLayout(group);
    pathEdit = new QLineEdit;
    pathEdit->setObjectName("PathEdit");
    line->addWidget(pathEdit, 1);
    auto* browse = button("Browse...", "BrowseButton");
    connect(browse, &QPushButton::clicked, this, [this] { host_.guarded([this] { BrowseButtonClick(); }); });
    line->addWidget(browse);
    return group;
}

QWidget* OptionsPage::buildAppearanceGroup()
{
    auto* group = new QGroupBox(" Appearance ");
    group->setObjectName("AppearanceGroup");
    auto* rows = new QFormLayout(group);
    colourCombo = new QComboBox;
    colourCombo->setObjectName("ColorCombo");
    colourCombo->setPlaceholderText("[ Schemes ]");
    for (const auto& scheme : ColourSchemes)
        colourCombo->addItem(scheme.caption);
    colourCombo->setCurrentIndex(-1);
    connect(colourCombo, &QComboBox::activated, this,
            [this](int index) { host_.guarded([this, index] { ColorComboChange(index); }); });
    rows->addRow("Color scheme:", colourCombo);
    fontEdit = new QLineEdit("Tahoma");
    fontEdit->setObjectName("FontEdit");
    rows->addRow("Font:", fontEdit);
    return group;
}

// The outside programs, as command lines (program and arguments, quotes keep blanks).
QWidget* OptionsPage::buildProgramsGroup()
{
    auto* group = new QGroupBox(" Programs ");
    group->setObjectName("ProgramsGroup");
    auto* rows = new QFormLayout(group);
    runCommandEdit = new QLineEdit(DefaultRunCommand);
    runCommandEdit->setObjectName("RunCommandEdit");
    rows->addRow("DOS emulator:", runCommandEdit);
    textEditorEdit = new QLineEdit;
    textEditorEdit->setObjectName("TextEditorEdit");
    textEditorEdit->setPlaceholderText("the desktop's own");
    rows->addRow("Text editor:", textEditorEdit);
    return group;
}

QWidget* OptionsPage::buildExtensionsGroup()
{
    auto* group = new QGroupBox(" File extensions ");
    group->setObjectName("ExtensionsGroup");
    auto* grid = new QGridLayout(group);
    for (std::size_t k = 0; k < AssociationKinds.size(); ++k) {
        auto* check = new QCheckBox(QString::fromLatin1(AssociationKinds[k].caption.data(),
                                                        static_cast<qsizetype>(AssociationKinds[k].caption.size())));
        check->setObjectName(QString::fromLatin1(AssociationKinds[k].control.data(),
                                                 static_cast<qsizetype>(AssociationKinds[k].control.size())));
        grid->addWidget(check, static_cast<int>(k % 3), static_cast<int>(k / 3));
        extensionBoxes[k] = check;
    }
    fontsBox = new QCheckBox("Fonts");
    fontsBox->setObjectName("FontsBox");
    fontsBox->hide();
    grid->addWidget(fontsBox, 3, 0);
    return group;
}

QWidget* OptionsPage::buildMiscGroup()
{
    auto* group = new QGroupBox(" Miscellaneous ");
    group->setObjectName("MiscGroup");
    auto* column = new QVBoxLayout(group);
    powerlevelBox = box("Create Powerlevel", "PowerlevelBox", false, column);
    stretchBox = box("Stretch level", "StretchBox", false, column);
    soundBox = box("Use sound", "SoundBox", true, column);
    usePaletteBox = box("Use Torlo palette for preview", "UsePalBox", false, column);
    lwp2Box = box("Create LWP2 instead of LWP1", "LWP2Box", false, column);
    sortBox = box("Sort files on extension", "SortBox", true, column);
    sortBox->hide();
    auto* deleteLog = button("Delete Logfile", "DeleteLogBut");
    connect(deleteLog, &QPushButton::clicked, this, [this] { host_.guarded([this] { DeleteLogButClick(); }); });
    column->addWidget(deleteLog, 0, Qt::AlignLeft);
    return group;
}

// --- handlers ----------------------------------------------------------------------------

void OptionsPage::DoAllButtonClick()
{
    storeSettings();

    // A blood text that is no number stops here: the settings are stored, nothing else is done.
    const auto blood = setBlood(host_.workspace(), strToInt(toSystemText(bloodEdit->text())));
    if (blood.succeeded())
        bloodEdit->setText(QString::fromStdString(blood.status));   // the amount the game got
    else
        host_.prompts().error(blood.status);

    AssociationSet kinds;
    for (std::size_t k = 0; k < extensionBoxes.size(); ++k)
        kinds[k] = extensionBoxes[k]->isChecked();
    const auto assigned = assignExtensions(fileClasses_, kinds, desktopProgram());
    if (assigned.kind == Outcome::Kind::Refused)
        host_.prompts().error(assigned.status);
    else if (assigned.succeeded() || fontsBox->isChecked())
        host_.prompts().information("Extension(s) assigned");

    if (pathEdit->text() == "TorloNet")
        return;   // its status text stays
    QString done = "Options saved";
    if (host_.workspace().gameFolder != toPath(pathEdit->text()))   // the user kept unsaved edits
        done += ", the game folder was not changed";
    done += blood.succeeded() ? QString(", blood set to %1%").arg(bloodEdit->text()) : QString(", blood not set");
    if (assigned.succeeded())
        done += ", file kinds assigned";
    host_.StatusShow(done);
}

void OptionsPage::storeSettings()
{
    auto& settings = host_.settings();
    const auto path = pathEdit->text();
    if (path == "TorloNet") {
        host_.StatusShow("You have found a future Easter Egg!");
    } else {
        const auto folder = absolutePath(toPath(path));   // the same folder for the CLI, wherever it runs
        if (host_.setGameFolder(folder))   // not when the user keeps unsaved edits
            settings.setText(setting::TorloPath, folder.string());
    }
    settings.setText(setting::Stretch, yesNo(stretchBox));
    window_.placeLevelPicture(stretchBox->isChecked());
    settings.setText(setting::MakePL, yesNo(powerlevelBox));
    settings.setText(setting::DoSound, yesNo(soundBox));
    settings.setText(setting::UsePal, yesNo(usePaletteBox));
    settings.setText(setting::SortExt, yesNo(sortBox));
    settings.setText(setting::MakeLWP2, yesNo(lwp2Box));
    settings.setText(setting::Font, fontEdit->text().toStdString());
    settings.setText(setting::RunCommand, toSystemText(runCommandEdit->text()));
    settings.setText(setting::TextEditor, toSystemText(textEditorEdit->text()));
    window_.setFont(fontEdit->text());
}

void OptionsPage::BrowseButtonClick()
{
    // The folder takes effect when "Do all" stores it.
    if (auto chosen = host_.prompts().openFile(TorloExeFilter, {}))
        pathEdit->setText(fromPath(chosen->parent_path()));
}

void OptionsPage::ColorComboChange(int index)
{
    const auto [foreground, background] = schemeColours(index, window_.randomColour);
    host_.settings().setInteger(setting::FG, foreground);
    host_.settings().setInteger(setting::BG, background);
    window_.applyColourScheme();
}

void OptionsPage::DeleteLogButClick()
{
    std::error_code ignored;   // a log that is not there is deleted too
    fs::remove(host_.log().file(), ignored);
    host_.StatusShow("Logfile deleted");
}

} // namespace quorvex
