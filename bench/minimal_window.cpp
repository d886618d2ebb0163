// The yardstick for Quorvex's start-up: a minimal Qt window that shows and quits.
#include <QApplication>
#include <QMainWindow>
#include <QTimer>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QMainWindow window;
    window.setWindowTitle("Minimal");
    window.show();
    QTimer::singleShot(0, &app, &QApplication::quit);
    return app.exec();
}
