#pragma once
// TTextForm, "Text Editor": every on-screen text of the game, on eight pages built from the
// game text table; saved into torlo.exe, exported as a translation file.
#include "core/texts/game_texts.h"
#include "gui/host/game_model.h"

#include <QWidget>
#include <array>

class QTabWidget;

namespace quorvex {

class GameTextEdit;
class PageHost;

class TTextForm : public QWidget, public EditHolder {
    Q_OBJECT
public:
    explicit TTextForm(PageHost& host, QWidget* parent = nullptr);

    // The field of a table entry (by its index in GameTexts).
    GameTextEdit* field(std::size_t entry) const { return fields_[entry]; }
    QTabWidget* pages() const { return pages_; }

    // Puts every text read from torlo.exe into its field; unsaved changes are lost.
    void ReadStrings();

    void LoadButtonClick();
    void SaveButtonClick();
    void SaveToFileButtonClick();
    void BackButtonClick();
    void RunTorloButtonClick();
    void HelpButtonClick();

    void setVisible(bool visible) override;

    // A text differs from the game's as last read or saved.
    std::optional<QString> unsavedEdits() const override;
    bool saveEdits() override;
    void discardEdits() override;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void build();
    void buildPages();
    QWidget* buildFieldPage(TextPage page);
    QWidget* buildKeysPage();
    QWidget* buildInfoPage();
    GameTextEdit* buildField(std::size_t entry);
    void buildButtons();
    void fitToTexts();

    // Shown from the "Editors" menu: the settings, then the texts.
    void FormShow();
    void applySettings();
    void applyFont();
    void FormClose();
    GameTextValues fieldTexts() const;

    PageHost& host_;
    QTabWidget* pages_ = nullptr;
    std::array<GameTextEdit*, GameTextCount> fields_{};
    std::array<QString, GameTextCount> read_{};   // what each field was filled with from the game
    GameTextEdit* nameEdit_ = nullptr;
    GameTextEdit* websiteEdit_ = nullptr;
};

} // namespace quorvex
