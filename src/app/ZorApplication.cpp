#include "app/ZorApplication.h"

#include "app/GeneralErrorHandler.h"
#include "ui/MessageSeam.h"

#include <QLibraryInfo>
#include <QTranslator>

namespace app {

ZorApplication::ZorApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool ZorApplication::notify(QObject* receiver, QEvent* event) {
    bool handled = false;
    guarded([&] { handled = QApplication::notify(receiver, event); });
    return handled;
}

void prepareApplication(QApplication& app) {
    app.setApplicationName(ui::appTitle());
    app.setDesktopFileName(QStringLiteral("zor"));
    // Message-box buttons and file dialogs in Russian, whatever the system language.
    auto* translator = new QTranslator(&app);
    if (translator->load(QStringLiteral("qtbase_ru"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        app.installTranslator(translator);
}

} // namespace app
