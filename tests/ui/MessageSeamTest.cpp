#include "ui/MessageSeam.h"
#include "ui/ScriptedMessages.h"

#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QTimer>
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

// Qt's own file dialog shows the filter label the program wrote, with or without the pattern.
TEST(MessageSeam, FileDialogShowsTheFilterLabelAsWritten) {
    const struct {
        const char* filter;
        bool labelsOnly;
        const char* shown;
    } cases[] = {{"Файлы проектов (.fdb) (*.fdb)", true, "Файлы проектов (.fdb)"},
                 {"Файлы проектов (*.fdb)", false, "Файлы проектов (*.fdb)"}};
    for (const auto& c : cases) {
        ui::FileDialogOptions o;
        o.filter = QString::fromUtf8(c.filter);
        o.labelsOnly = c.labelsOnly;
        QString label;
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            if (auto* types = dialog->findChild<QComboBox*>("fileTypeCombo"))
                label = types->currentText();
            dialog->reject();
        });
        EXPECT_TRUE(ui::qtMessages().openFileName(nullptr, o).isEmpty());
        EXPECT_EQ(label.toStdString(), c.shown);
    }
}
