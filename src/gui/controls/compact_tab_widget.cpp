#include "gui/controls/compact_tab_widget.h"

#include <QProxyStyle>
#include <QTabBar>

namespace quorvex {
namespace {

// The style both sizes a tab and places its caption from this room, so halving it here keeps
// the caption whole inside the narrower tab.
class HalfTabRoomStyle : public QProxyStyle {
public:
    int pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const override
    {
        const int value = QProxyStyle::pixelMetric(metric, option, widget);
        return metric == PM_TabBarTabHSpace ? value / 2 : value;
    }
};

} // namespace

CompactTabWidget::CompactTabWidget(QWidget* parent) : QTabWidget(parent)
{
    auto* style = new HalfTabRoomStyle;
    style->setParent(tabBar());
    tabBar()->setStyle(style);
}

} // namespace quorvex
