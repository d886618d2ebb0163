#include "gui/weapons/table_page.h"
#include "gui/host/page_host.h"
#include "gui/controls/field_panel.h"
#include "core/weapons/object_fields.h"
#include "core/weapons/sobject_fields.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace quorvex {

namespace {

QString fromView(std::string_view text)
{
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

const TablePage::Layout TablePage::Objects{ObjectArrays, RecordKind::Object, "ObjectPage", "ObjectList", "OSaveCurBut",
                                           "OLWP1But", "OLWP2But", "ObjectTabs", "Button4", true};
const TablePage::Layout TablePage::SObjects{SObjectArrays, RecordKind::SObject, "SObjectPage", "SpObjList", "SOSaveCurBut",
                                            "SLWPBut1", "SLWPBut2", nullptr, nullptr, false};

TablePage::TablePage(PageHost& host, QWidget* tab, const Layout& layout) : QWidget(tab), host_(host), layout_(layout)
{
    setObjectName(layout.pageName);
    auto [leftColumn, columns] = buildPageColumns(this, tab);
    auto* left = leftColumn;   // a variable, not a binding: clang 14 cannot capture a structured binding
    list_ = new QListWidget;
    list_->setObjectName(layout.listName);
    int widest = 0;
    for (auto name : layout.table.names) {
        list_->addItem(fromView(name));
        widest = std::max(widest, list_->fontMetrics().horizontalAdvance(fromView(name)));
    }
    list_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list_->setFixedWidth(widest + list_->verticalScrollBar()->sizeHint().width() + 2 * list_->frameWidth() + 12);
    connect(list_, &QListWidget::currentRowChanged, this, [this] {
        // Another row drops the edits of the one shown: settled first, or the row stays.
        if (shown_ >= 0 && shown_ != list_->currentRow() && !settleEdits()) {
            selectRow(shown_);
            return;
        }
        guarded(&TablePage::listClick);
    });
    left->addWidget(list_, 1);
    auto button = [&](const char* name, const char* caption, void (TablePage::*handler)()) {
        auto* b = new QPushButton(caption);
        b->setObjectName(name);
        connect(b, &QPushButton::clicked, this, [this, handler] { guarded(handler); });
        left->addWidget(b);
        return b;
    };
    save_ = button(layout.saveName, "Save current object", &TablePage::saveClick);
    pluginAs_ = button(layout.pluginAsName, "Save as plugin", &TablePage::savePluginAsClick);
    pluginIn_ = button(layout.pluginInName, "Save in plugin", &TablePage::saveInPluginClick);

    fields_ = new FieldPanel(host_, this);   // leaving a control does nothing here; only Save writes
    if (layout.tabsName) {
        auto* tabs = new QTabWidget;
        tabs->setObjectName(layout.tabsName);
        int pages = 0;
        for (const auto& field : layout.table.fields)
            pages = std::max<int>(pages, field.page);
        for (int page = 1; page <= pages; ++page)
            tabs->addTab(buildRows(page), QString("Page %1").arg(page));
        columns->addWidget(tabs, 1);
    } else {
        columns->addWidget(buildRows(1), 1);
    }

    // Nothing is held in memory but the controls: they must never show one game's entry to be
    // saved into another.
    connect(&host_.gameEvents(), &GameEvents::gameFolderChanged, this, [this] { guarded(&TablePage::showEntry); });
    connect(&host_.gameEvents(), &GameEvents::gameDataChanged, this, [this](GameParts parts, const QObject* from) {
        if (host_.gameEvents().reloads(this, from) && parts.has(layout_.table.part))
            guarded(&TablePage::showEntry);
    });
}

QWidget* TablePage::buildRows(int page)
{
    auto* sub = new QWidget;
    sub->setObjectName(QString(layout_.pageName) + QString::number(page));
    auto* rows = buildFieldRows(sub);
    const auto& fields = layout_.table.fields;
    for (std::size_t k = 0; k < fields.size(); ++k) {
        if (fields[k].page != page)
            continue;
        // The rows run page by page in table order, so a field's number is its table index.
        const auto added = fields_->addRow(rows, describeField(fields[k]));
        Q_ASSERT(added == k);
        if (fields[k].kind == FieldKind::Frame && layout_.bulletName) {
            auto* bullet = new QPushButton("Make Bullet");
            bullet->setObjectName(layout_.bulletName);
            connect(bullet, &QPushButton::clicked, this, [this] { guarded(&TablePage::makeBulletClick); });
            fields_->line(k)->insertWidget(1, bullet);
        }
        // The object page names an animation preview that it does not draw.
        if (fields[k].pluginKey == "DRAWOBJECT:") {
            auto* caption = new QLabel("Animation preview");
            caption->setObjectName("AnimationPreviewLabel");
            caption->setEnabled(false);
            caption->setForegroundRole(QPalette::Mid);   // greyed also where a scheme sets every group's text
            rows->addRow(caption);
        }
    }
    return sub;
}

void TablePage::guarded(void (TablePage::*handler)())
{
    host_.guarded([this, handler] { (this->*handler)(); });
}

int TablePage::selectedRow() const
{
    // The current row, not the selection: a click makes a row current before it selects it.
    const int row = list_->currentRow();
    return isEntryOf(layout_.table, row) ? row : -1;
}

void TablePage::selectRow(int row)
{
    const QSignalBlocker quiet(list_);
    list_->setCurrentRow(row);
}

void TablePage::showFirst()
{
    selectRow(0);
    listClick();
}

void TablePage::paintSwatchesBlack()
{
    fields_->paintSwatchesBlack();
}

EntryValues TablePage::values() const
{
    EntryValues values;
    for (std::size_t k = 0; k < fields_->size(); ++k)
        values.push_back(fields_->value(k));
    return values;
}

void TablePage::showEntry()
{
    shown_ = -1;
    const int row = selectedRow();
    if (row < 0)
        return;
    const auto values = quorvex::showEntry(host_.workspace(), layout_.table, row);
    for (std::size_t k = 0; k < values.size(); ++k)
        fields_->setValue(k, values[k]);
    shown_ = row;
    shownValues_ = this->values();
}

bool TablePage::hasUnsavedEdits() const
{
    return shown_ >= 0 && values() != shownValues_;
}

bool TablePage::settleEdits()
{
    if (!hasUnsavedEdits())
        return true;
    const auto kind = layout_.kind == RecordKind::Object ? "object" : "special object";
    const auto name = std::string(layout_.table.names[static_cast<std::size_t>(shown_)]);
    switch (host_.prompts().askUnsaved("The " + std::string(kind) + " \"" + name + "\" has changes that are not saved. Save them?")) {
    case Prompts::Unsaved::Save: return host_.gameModel().save(*this);
    case Prompts::Unsaved::Discard:
        shownValues_ = values();   // asked once: the same edits are not asked about again
        return true;
    case Prompts::Unsaved::Cancel: break;
    }
    return false;
}

void TablePage::listClick()
{
    showEntry();
    if (layout_.disableWhenNoRow)
        for (auto* button : {save_, pluginAs_, pluginIn_})
            button->setEnabled(selectedRow() >= 0);
}

bool TablePage::showsSelectedRow() const
{
    // Controls that could not be filled from the file must never be saved into it.
    return shown_ >= 0 && shown_ == selectedRow();
}

std::optional<QString> TablePage::unsavedEdits() const
{
    if (!hasUnsavedEdits())
        return std::nullopt;
    return fromView(layout_.table.names[static_cast<std::size_t>(shown_)]);
}

bool TablePage::saveEdits()
{
    return shown_ < 0 || host_.guarded([this] {
        host_.report(saveEntry(host_.workspace(), layout_.table, shown_, values()), this);
        shownValues_ = values();
    });
}

void TablePage::saveClick()
{
    if (showsSelectedRow())
        host_.gameModel().save(*this);
}

PluginRecord TablePage::record() const
{
    return layout_.kind == RecordKind::Object ? objectRecord(shown_, values()) : sobjectRecord(shown_, values());
}

void TablePage::savePluginAsClick()
{
    if (showsSelectedRow())
        savePluginAsFrom(host_, record());
}

void TablePage::saveInPluginClick()
{
    if (showsSelectedRow())
        saveInPluginFrom(host_, record());
}

void TablePage::makeBulletClick()
{
    const auto& fields = layout_.table.fields;
    for (std::size_t k = 0; k < fields.size(); ++k)
        if (fields[k].kind == FieldKind::Frame || fields[k].pluginKey == "ANIMFRAMES:")
            fields_->setValue(k, {"0"});
}

PageColumns buildPageColumns(QWidget* page, QWidget* tab)
{
    auto* tabLayout = new QVBoxLayout(tab);
    tabLayout->setContentsMargins(0, 0, 0, 0);
    tabLayout->addWidget(page);
    auto* columns = new QHBoxLayout(page);
    columns->setContentsMargins(4, 4, 4, 4);
    auto* left = new QVBoxLayout;
    columns->addLayout(left);
    return {left, columns};
}

QFormLayout* buildFieldRows(QWidget* sub)
{
    auto* rows = new QFormLayout(sub);
    rows->setContentsMargins(6, 6, 6, 6);
    rows->setVerticalSpacing(3);
    rows->setFieldGrowthPolicy(QFormLayout::ExpandingFieldsGrow);
    return rows;
}

void savePluginAsFrom(PageHost& host, const PluginRecord& record)
{
    const auto outcome = savePluginAs(record, host.makeLwp2(), [&](const std::string& filter, const std::filesystem::path& proposed) {
        return host.prompts().saveFile(filter, proposed, {});
    });
    if (outcome.kind != Outcome::Kind::Nothing)   // the dialog was cancelled
        host.report(outcome);
}

void saveInPluginFrom(PageHost& host, const PluginRecord& record)
{
    host.report(saveInPlugin(host.selectedModFile(), record));
}

} // namespace quorvex
