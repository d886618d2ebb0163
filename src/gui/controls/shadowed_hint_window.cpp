#include "gui/controls/shadowed_hint_window.h"

#include <QApplication>
#include <QEvent>
#include <QOperatingSystemVersion>
#include <QWidget>

namespace quorvex {

bool hintsCastShadow(bool ntFamily, int major, int minor)
{
    return ntFamily && (major > 5 || (major == 5 && minor > 0));
}

void TShadowedHintWindow::install(QApplication& application)
{
    const auto os = QOperatingSystemVersion::current();
    if (os.type() != QOperatingSystemVersion::Windows)
        return;
    // Every Windows that runs Qt 6 is of the NT family.
    application.installEventFilter(
        new TShadowedHintWindow(hintsCastShadow(true, os.majorVersion(), os.minorVersion()), &application));
}

bool TShadowedHintWindow::eventFilter(QObject* watched, QEvent* event)
{
    // A tooltip is polished before its window is created, while its flags still decide the
    // window class (and so the shadow).
    if (event->type() == QEvent::Polish && watched->isWidgetType()) {
        auto* widget = static_cast<QWidget*>(watched);
        if (widget->windowType() == Qt::ToolTip && !widget->testAttribute(Qt::WA_WState_Created)) {
            auto flags = widget->windowFlags();
            flags.setFlag(Qt::NoDropShadowWindowHint, !castShadow_);
            widget->overrideWindowFlags(flags);
        }
    }
    return false;
}

} // namespace quorvex
