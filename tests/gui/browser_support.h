#pragma once
// Helpers for the browser's GUI tests: a main window opened on the demo game's mods folder.
#include "main_form_fixture.h"

#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <gtest/gtest.h>

namespace quorvex::test {

inline QListWidget* fileList(QWidget* form)
{
    return find<QListWidget>(form, "FileList");
}

inline QStringList listed(QWidget* form)
{
    QStringList names;
    for (int i = 0; i < fileList(form)->count(); ++i)
        names << fileList(form)->item(i)->text();
    return names;
}

inline bool select(QWidget* form, const QString& name)
{
    const auto found = fileList(form)->findItems(name, Qt::MatchExactly);
    if (found.isEmpty())
        return false;
    fileList(form)->setCurrentItem(found.front());
    return true;
}

inline void click(QWidget* form, const char* button)
{
    auto* widget = find<QPushButton>(form, button);
    ASSERT_NE(widget, nullptr) << button;
    widget->click();
}

inline QString statusText(QWidget* form)
{
    return find<QLabel>(form, "StatusText")->text();
}

inline QString colourText(QWidget* form)
{
    return find<QLabel>(form, "ColorText")->text();
}

inline void moveMouse(QWidget* widget, QPoint at)
{
    QMouseEvent move(QEvent::MouseMove, QPointF(at), widget->mapToGlobal(QPointF(at)), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(widget, &move);
}

// A main window started with a mods file on the command line: the browser shows mods/.
inline std::unique_ptr<TMainForm> openOnMods(MainFormFixture& fixture, const char* file = "CANYON.LEV")
{
    return fixture.create({QString::fromStdString((fixture.demo.game() / "mods" / file).string())});
}

} // namespace quorvex::test
