#pragma once
// TShadowedHintWindow: every hint of the program is a Qt tooltip; installed once at start, it
// gives them the drop shadow on Windows of the NT family from version 5.1 on and takes it away
// on older Windows. Elsewhere the platform's own tooltips are left as they are.
#include <QObject>

class QApplication;

namespace quorvex {

// Whether hints cast a shadow on a Windows system of this kind and version.
bool hintsCastShadow(bool ntFamily, int major, int minor);

class TShadowedHintWindow final : public QObject {
public:
    explicit TShadowedHintWindow(bool castShadow, QObject* parent = nullptr) : QObject(parent), castShadow_(castShadow) {}

    // On Windows, filters the application's tooltips from now on; elsewhere does nothing.
    static void install(QApplication& application);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool castShadow_;
};

} // namespace quorvex
