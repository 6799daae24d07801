#include "app/MainUnit.h"
#include "app/ZorApplication.h"
#include "platform/InstanceGuard.h"
#include "ui/MessageSeam.h"

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

} // namespace

int main(int argc, char** argv) {
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
        TMainForm form;
        form.show();
        status = app.exec();
        guard.release(); // the store and the window go after the guard, as they always have
    }
    return status;
}
