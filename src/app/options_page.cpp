#include "app/options_page.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

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

} // namespace

OptionsPage::OptionsPage(QWidget* parent) : QWidget(parent)
{
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel("For more information on these options, please read the helpfile"));

    auto* pathGroup = new QGroupBox(" Torlo Path ");
    auto* pathLayout = new QVBoxLayout(pathGroup);
    pathEdit = new QLineEdit;
    pathEdit->setObjectName("PathEdit");
    pathLayout->addWidget(pathEdit);
    layout->addWidget(pathGroup);

    auto* lookGroup = new QGroupBox(" Appearance ");
    auto* lookLayout = new QFormLayout(lookGroup);
    fontEdit = new QLineEdit("Tahoma");
    fontEdit->setObjectName("FontEdit");
    lookLayout->addRow("Font:", fontEdit);
    layout->addWidget(lookGroup);

    auto* miscGroup = new QGroupBox(" Miscellaneous ");
    auto* miscLayout = new QVBoxLayout(miscGroup);
    powerlevelBox = box("Create Powerlevel", "PowerlevelBox", false, miscLayout);
    stretchBox = box("Stretch level", "StretchBox", false, miscLayout);
    soundBox = box("Use sound", "SoundBox", true, miscLayout);
    usePaletteBox = box("Use Torlo palette for preview", "UsePalBox", false, miscLayout);
    lwp2Box = box("Create LWP2 instead of LWP1", "LWP2Box", false, miscLayout);
    sortBox = box("Sort files on extension", "SortBox", true, miscLayout);
    sortBox->hide();
    layout->addWidget(miscGroup);
    layout->addStretch();
}

} // namespace quorvex
