#pragma once
// The one builder of every page of fields (weapons, objects, special objects, CPU AI, hacks):
// rows of captioned controls built in a loop from a field table, the value each control shows,
// colour boxes with their swatches, and the "field left" event that copies a field back.
// The tables differ from page to page; this code does not.
#include "core/fields/field_values.h"

#include <QObject>
#include <span>
#include <string_view>
#include <vector>

class QColor;
class QFormLayout;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QString;
class QWidget;

namespace quorvex {

class PageHost;

// The width a line edit needs to show text whole in its font and style.
int lineEditWidthFor(const QLineEdit& edit, const QString& text);

// What the builder needs of one row of a field table.
struct FieldDescription {
    std::string_view caption;
    std::string_view unit;                          // after a number box; empty for none
    std::string_view control;                       // the control's objectName
    FieldKind kind = FieldKind::Number;
    std::span<const std::string_view> listRows{};   // the rows of a List
    int maxLength = 0;                              // of a number box's text; 0: no limit
    std::string_view widest{};                      // the widest text a number box shows; empty: a short number
};

// The description of a row of any field table that names its caption, unit, control, kind and list.
template <class Row>
constexpr FieldDescription describeField(const Row& row)
{
    return {row.caption, row.unit, row.control, row.kind, valueListRows(row.list), 0, widestShown(row.width)};
}

class FieldPanel : public QObject {
    Q_OBJECT
public:
    explicit FieldPanel(PageHost& host, QObject* parent = nullptr);

    // Adds a row "caption: control [unit] [swatch]" to rows; returns the field's number here.
    std::size_t addRow(QFormLayout* rows, const FieldDescription& description);
    // Adds a field on the line of an earlier number box, its caption before it (two fields
    // that belong together, like a range's start and end).
    std::size_t addBeside(std::size_t field, const FieldDescription& description);

    std::size_t size() const { return fields_.size(); }
    QWidget* control(std::size_t field) const { return fields_[field].control; }
    // The line of a number box, for widgets that stand after it ("Make Bullet").
    QHBoxLayout* line(std::size_t field) const { return fields_[field].line; }
    QLabel* swatch(std::size_t field) const { return fields_[field].swatch; }

    FieldValue value(std::size_t field) const;
    void setValue(std::size_t field, const FieldValue& value);
    void paintSwatchesBlack();

signals:
    // The focus moved from the field to another control: the page copies it back.
    void left(std::size_t field);
    // A number box's text changed (a frame box redraws its preview).
    void edited(std::size_t field);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Field {
        FieldDescription description;
        QWidget* control = nullptr;
        QHBoxLayout* line = nullptr;
        QLabel* swatch = nullptr;
    };
    QWidget* add(const FieldDescription& description);
    QWidget* buildControl(Field& field);
    void colourChanged(std::size_t field);
    void paintSwatch(QLabel* swatch, const QColor& colour);

    PageHost& host_;
    std::vector<Field> fields_;
    bool handling_ = false;   // a focus change caused by our own message box
};

} // namespace quorvex
