#include "gui/controls/game_text_edit.h"
#include "core/text/cp437.h"

#include <QValidator>

namespace quorvex {

// The field's text before each change: a typed change may make an over-long text shorter only.
class GameTextEdit::Check : public QValidator {
public:
    Check(int limit, QObject* parent) : QValidator(parent), limit_(limit) {}
    QString before;

    State validate(QString& input, int&) const override
    {
        if (limit_ > 0 && input.size() > limit_ && input.size() > before.size())
            return Invalid;
        for (const char32_t c : input.toUcs4())
            if (!unicodeToCp437(c))
                return Invalid;
        return Acceptable;
    }

private:
    int limit_;
};

GameTextEdit::GameTextEdit(int limit, QWidget* parent) : QLineEdit(parent), check_(new Check(limit, this))
{
    setValidator(check_);
    connect(this, &QLineEdit::textChanged, this, [this](const QString& text) { check_->before = text; });
}

void GameTextEdit::putText(const QString& text)
{
    check_->before = text;
    setText(text);
}

QSize GameTextEdit::sizeHint() const
{
    auto hint = QLineEdit::sizeHint();
    if (minimumWidth() > 0)
        hint.setWidth(minimumWidth());
    return hint;
}

} // namespace quorvex
