// Shows the About box of this program's own resource, for a look by eye.
#include "about/AboutUnit.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    about::showAbout(nullptr, QCoreApplication::applicationFilePath());
    return 0;
}
