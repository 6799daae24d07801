#include <QApplication>
#include <QLocale>
#include <gtest/gtest.h>

// Widgets need an application; the C locale matches the zor-tool runs of these tests.
int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QLocale::setDefault(QLocale::c());
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
