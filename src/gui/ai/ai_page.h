#pragma once
// The "CPU AI" page: the eleven values of the computer player, built from the AI field table,
// the two presets, and loading from and saving to torlo.exe. The values are held only in the
// fields.
#include "core/ai/ai_values.h"
#include "gui/host/game_model.h"

#include <QWidget>

namespace quorvex {

class FieldPanel;
class PageHost;

class AiPage : public QWidget, public EditHolder {
    Q_OBJECT
public:
    // Builds itself into the main window's "CPU AI" tab.
    AiPage(PageHost& host, QWidget* tab);

    // The handlers; they raise file and number errors for the main window's boundary.
    void SetAI();
    void LoadAIClick();
    void StdButtonClick();
    void GoodButtonClick();
    void SaveAIClick();

    AiTexts texts() const;
    void showTexts(const AiTexts& texts);
    // Shows the values as the game holds them.
    void showGameTexts(const AiTexts& texts);

    // The fields differ from the values last read or saved (a preset counts as an edit).
    std::optional<QString> unsavedEdits() const override;
    bool saveEdits() override;
    void discardEdits() override { reload(); }

private:
    // The game folder or its AI values changed: nothing of the old values may stay to be saved.
    void reload();

    PageHost& host_;
    FieldPanel* fields_ = nullptr;
    AiTexts read_{};   // what the game held when the fields were filled from it
};

} // namespace quorvex
