#pragma once
// Saves a grab of a widget as <name>.png in $QUORVEX_SHOTS_DIR when that is set, for looking at
// the pages; does nothing otherwise.
#include <QDir>
#include <QPixmap>
#include <QWidget>

namespace quorvex::test {

inline void saveScreenshot(QWidget* widget, const QString& name)
{
    const auto folder = qEnvironmentVariable("QUORVEX_SHOTS_DIR");
    if (folder.isEmpty())
        return;
    QDir().mkpath(folder);
    widget->grab().save(folder + "/" + name + ".png");
}

} // namespace quorvex::test
