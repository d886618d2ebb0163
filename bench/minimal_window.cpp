// The yardstick for Quorvex's start-up: a bare Qt window showing one label, left the moment it
// has been painted, through the same hook as the program.
#include "gui/app/first_paint.h"

#include <QApplication>
#include <QLabel>
#include <QMainWindow>

#include <cstdlib>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QMainWindow window;
    window.setWindowTitle("Minimal");
    window.setCentralWidget(new QLabel("Quorvex"));
    quorvex::exitAtFirstPaintWhenAsked(&window);
    window.show();
    return app.exec();
}
