#include "app/MainUnit.h"
#include "app/ZorApplication.h"
#include "platform/ExeFolder.h"
#include "platform/InstanceGuard.h"
#include "ui/MessageSeam.h"

#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <csignal>
#include <unistd.h>

namespace {

// A second copy says why it does not start, holding the guard while the box is up so that a
// third copy started meanwhile is refused too.
int refuseSecondCopy(int argc, char** argv) {
    QApplication app(argc, argv);
    app::prepareApplication(app);
    ui::showError(nullptr, QStringLiteral("Копия данной программы уже запущена.\r"
                                          "Повторный запуск программы не разрешен."));
    return 0;
}

// An installed copy cannot write beside itself: say once where its files go instead.
void announcePerUserFolder() {
    if (!platform::dataFolderIsPerUser() || QFile::exists(platform::settingsFilePath()))
        return;
    QMessageBox::information(
        nullptr, ui::appTitle(),
        QStringLiteral("Программа установлена в папку %1.\nСвои настройки и проекты она "
                       "хранит в папке %2")
            .arg(QDir::toNativeSeparators(platform::executableFolder()),
                 QDir::toNativeSeparators(platform::dataFolder())));
}

// The database engine takes over SIGTERM and SIGINT when it first opens a project: it shuts
// the project under the running window and leaves the process alive, holding the single-copy
// guard (and spinning at exit if the display goes away). Our handler, installed first, is the
// one the engine calls first: the process ends at once, as a killed process does, writing nothing.
void endOnSignal(int signal) {
    ::_exit(128 + signal);
}

void endOnTerminationSignals() {
    struct sigaction action {};
    action.sa_handler = endOnSignal;
    sigemptyset(&action.sa_mask);
    for (int signal : {SIGTERM, SIGINT})
        ::sigaction(signal, &action, nullptr);
}

} // namespace

int main(int argc, char** argv) {
    endOnTerminationSignals();
    platform::InstanceGuard guard;
    if (guard.acquire() != platform::InstanceGuard::Result::FirstCopy) {
        const int status = refuseSecondCopy(argc, argv);
        guard.release();
        return status;
    }
    int status = 0;
    {
        app::ZorApplication app(argc, argv);
        app::prepareApplication(app);
        announcePerUserFolder();
        TMainForm form;
        form.show();
        status = app.exec();
        guard.release(); // the store and the window go after the guard, as they always have
    }
    return status;
}
