#pragma once
// TObjForm, "Special Hacks": the window of switches and numbers that patch the game's code,
// built from the hack table. Filled from torlo.exe at start-up, whenever the game folder
// changes, after "Do all !" (what the game stored) and on "Cancel" (the edits are dropped).
#include "core/hacks/hacks.h"
#include "gui/host/game_model.h"

#include <QWidget>
#include <optional>

class QGroupBox;
class QLabel;

namespace quorvex {

class FieldPanel;
class PageHost;

class TObjForm : public QWidget, public EditHolder {
    Q_OBJECT
public:
    // Build::Later leaves the fields until build() or the first show; what is read or shown
    // before then is held and shown once they are there.
    enum class Build { Now, Later };
    explicit TObjForm(PageHost& host, QWidget* parent = nullptr, Build when = Build::Now);
    void build();
    void setVisible(bool visible) override;

    // Creation: the settings' font and colours, then every hack from torlo.exe.
    void FormCreate();
    void DoAllButtonClick();
    void CancelButtonClick();

    HackValues values() const;
    void showValues(const HackValues& values);
    // The fields differ from what was read.
    std::optional<QString> unsavedEdits() const override;
    bool saveEdits() override;
    void discardEdits() override;

private:
    QGroupBox* buildGroup(HackGroup group);
    void fieldLeft(std::size_t item);
    void fieldEdited(std::size_t item);
    void applySettings();
    void readGame();
    void showOwnership();

    PageHost& host_;
    FieldPanel* fields_ = nullptr;
    std::array<std::size_t, HackCount> fieldOf_{};   // hack item -> field of the panel
    std::vector<std::size_t> itemOf_;                 // field of the panel -> hack item
    QLabel* riskHint_ = nullptr;
    std::optional<HackValues> pending_;
    std::optional<HackValues> shown_;   // what the fields showed when filled from the game
};

} // namespace quorvex
