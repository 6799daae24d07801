#include "ui/MessageSeam.h"
#include "ui/ScriptedMessages.h"

#include <gtest/gtest.h>

TEST(MessageSeam, AScriptedSeamIsInForceForItsLifetimeOnly) {
    {
        ui::ScriptedMessages scripted;
        EXPECT_EQ(&ui::messages(), &scripted);
        scripted.answer(QMessageBox::No);
        EXPECT_EQ(ui::askYesNo(nullptr, "?"), QMessageBox::No);
        // Unscripted: the escape answer, counted.
        EXPECT_EQ(ui::messages().ask(nullptr, "c", "t", QMessageBox::Question,
                                     QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
                                     QMessageBox::Yes),
                  QMessageBox::Cancel);
        EXPECT_TRUE(ui::messages().openFileName(nullptr, {}).isEmpty());
        EXPECT_EQ(scripted.unanswered, 2);
        ui::showError(nullptr, "x");
        EXPECT_EQ(scripted.last()->caption, QStringLiteral("ЗОР-1.0"));
        EXPECT_EQ(scripted.last()->icon, QMessageBox::Critical);
    }
    EXPECT_EQ(&ui::messages(), &ui::qtMessages());
}
