#pragma once
#include <QApplication>

// The application object. Its event dispatch is the general error handler: an error that
// escapes any event handler is shown in a message box and the program goes on.
namespace app {

class ZorApplication : public QApplication {
public:
    ZorApplication(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;
};

// The application title, the Russian texts of Qt's own dialogs.
void prepareApplication(QApplication& app);

} // namespace app
