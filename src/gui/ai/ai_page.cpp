#include "gui/ai/ai_page.h"
#include "gui/host/page_host.h"
#include "gui/controls/field_panel.h"
#include "modules/desktop/qt_platform.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace quorvex {

AiPage::AiPage(PageHost& host, QWidget* tab) : QWidget(tab), host_(host), fields_(new FieldPanel(host, this))
{
    setObjectName("AiPage");
    auto* tabLayout = new QVBoxLayout(tab);
    tabLayout->setContentsMargins(0, 0, 0, 0);
    tabLayout->addWidget(this);

    auto* columns = new QHBoxLayout(this);
    auto* left = new QVBoxLayout;
    auto label = [&](const char* text, const char* name) {
        auto* l = new QLabel(text);
        l->setObjectName(name);
        return l;
    };
    left->addWidget(label("Change these values to alter the CPU AI (Artificial Intelligence)", "AiLabel1"));
    left->addWidget(label("A lower value means it happens more often:  1=very often, 32767=almost never", "AiLabel2"));
    auto* rows = new QFormLayout;   // one form, so that all eleven fields line up
    left->addLayout(rows);
    left->addStretch();
    for (std::size_t k = 0; k < AiFields.size(); ++k) {
        const auto& field = AiFields[k];
        const bool frequency = k < AiAdvancedFirst;
        if (k == AiAdvancedFirst)
            rows->addRow(label("Advanced Settings: these settings will probably cause no significant change in the AI", "AiLabel3"));
        fields_->addRow(rows, {field.caption, "", field.control, FieldKind::Number, {}, frequency ? AiFrequencyMaxLength : 0});
    }
    columns->addLayout(left, 1);

    auto* right = new QVBoxLayout;
    auto group = [&](const char* caption, const char* name) {
        auto* g = new QGroupBox(caption);
        g->setObjectName(name);
        right->addWidget(g);
        return new QVBoxLayout(g);
    };
    auto button = [&](QVBoxLayout* into, const char* caption, const char* name, void (AiPage::*handler)()) {
        auto* b = new QPushButton(caption);
        b->setObjectName(name);
        connect(b, &QPushButton::clicked, this, [this, handler] { host_.guarded([this, handler] { (this->*handler)(); }); });
        into->addWidget(b);
    };
    auto* presets = group("Pre-definded settings", "PresetGroup");
    button(presets, "Standard", "StdButton", &AiPage::StdButtonClick);
    button(presets, "Good", "GoodButton", &AiPage::GoodButtonClick);
    auto* file = group("Load/Save to Torlo.Exe", "AiFileGroup");
    button(file, "Load", "LoadAI", &AiPage::LoadAIClick);
    button(file, "Save", "SaveAI", &AiPage::SaveAIClick);
    right->addStretch();
    columns->addLayout(right);

    connect(&host_.gameEvents(), &GameEvents::gameFolderChanged, this, [this] { reload(); });
    connect(&host_.gameEvents(), &GameEvents::gameDataChanged, this, [this](GameParts parts, const QObject* from) {
        if (host_.gameEvents().reloads(this, from) && parts.has(GamePart::Ai))
            reload();
    });
}

AiTexts AiPage::texts() const
{
    AiTexts texts;
    for (std::size_t k = 0; k < texts.size(); ++k)
        texts[k] = fields_->value(k).text;
    return texts;
}

void AiPage::showTexts(const AiTexts& texts)
{
    for (std::size_t k = 0; k < texts.size(); ++k)
        fields_->setValue(k, FieldValue{texts[k]});
}

void AiPage::reload()
{
    showGameTexts({});
    host_.guarded([this] { SetAI(); });
}

void AiPage::showGameTexts(const AiTexts& texts)
{
    read_ = texts;
    showTexts(texts);
}

void AiPage::SetAI()
{
    showGameTexts(readAiTexts(host_.workspace()));
}

std::optional<QString> AiPage::unsavedEdits() const
{
    return texts() == read_ ? std::nullopt : std::optional(QString());
}

bool AiPage::saveEdits()
{
    bool saved = false;
    host_.guarded([&] {
        const auto typed = texts();
        const auto outcome = saveAi(host_.workspace(), typed);
        host_.report(outcome, this);
        if ((saved = outcome.succeeded()))
            read_ = typed;
    });
    return saved;
}

void AiPage::LoadAIClick()
{
    SetAI();
    host_.report(aiLoaded());
}

void AiPage::StdButtonClick()
{
    showTexts(presetTexts(AiPreset::Standard));
}

void AiPage::GoodButtonClick()
{
    showTexts(presetTexts(AiPreset::Good));
}

void AiPage::SaveAIClick()
{
    host_.gameModel().save(*this);
}

} // namespace quorvex
