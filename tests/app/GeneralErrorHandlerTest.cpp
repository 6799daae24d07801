#include "app/GeneralErrorHandler.h"
#include "platform/Error.h"
#include "ui/ScriptedMessages.h"

#include <QCoreApplication>
#include <QEvent>
#include <gtest/gtest.h>

TEST(GeneralErrorHandler, AppendsAFullStopOnlyAfterCharactersBeyondTheFullStop) {
    const struct {
        const char* text;
        const char* shown;
    } cases[] = {
        {"Unable to write to /x/zor.ini", "Unable to write to /x/zor.ini."},
        {"Ошибка", "Ошибка."},
        {"Code 42", "Code 42."},
        {"Why?", "Why?."},
        {"Done.", "Done."},
        {"Stop!", "Stop!"},
        {"Path /x/", "Path /x/."},
        {"List-", "List-"},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(app::errorMessageText(QString::fromUtf8(c.text)), QString::fromUtf8(c.shown))
            << c.text;
}

namespace {
class Thrower : public QObject {
public:
    QString text;
    bool std = false;
    bool event(QEvent* e) override {
        if (e->type() != QEvent::User)
            return QObject::event(e);
        if (std)
            throw std::runtime_error(text.toStdString());
        throw zor::Error(text);
    }
};
} // namespace

TEST(GeneralErrorHandler, ErrorsEscapingAnEventHandlerAreShownAndTheProgramGoesOn) {
    ui::ScriptedMessages messages;
    Thrower thrower;
    for (bool std : {false, true}) {
        for (const QString& text : {QStringLiteral("Нет связи"), QString()}) {
            messages.clear();
            thrower.std = std;
            thrower.text = text;
            QEvent event(QEvent::User);
            QCoreApplication::sendEvent(&thrower, &event);
            ASSERT_EQ(messages.shown.size(), 1u);
            EXPECT_EQ(messages.shown[0].kind, ui::ShownMessage::Error);
            EXPECT_EQ(messages.shown[0].caption, QStringLiteral("ЗОР-1.0"));
            EXPECT_EQ(messages.shown[0].text, app::errorMessageText(text));
        }
    }
}
