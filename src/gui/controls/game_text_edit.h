#pragma once
// A one-line field of game text: it takes only characters of the game's character set (code
// page 437) and, when typed into, at most `limit` of them (0: no limit). A longer text that the
// program puts in (putText) is shown whole; typing may shorten it but never lengthen it.
#include <QLineEdit>

namespace quorvex {

class GameTextEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit GameTextEdit(int limit, QWidget* parent = nullptr);
    // Use instead of setText: a text over the limit must be known before the field checks it.
    void putText(const QString& text);
    // As wide as its minimum width when one is set, so that rows of short fields stay short.
    QSize sizeHint() const override;

private:
    class Check;
    Check* check_;
};

} // namespace quorvex
