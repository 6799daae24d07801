#include "MainFormFixture.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QStatusTipEvent>
#include <QTest>
#include <QToolBar>
#include <functional>

#include "platform/Cp1251.h"
#include "ui/DataMemo.h"

namespace {

struct Enabled {
    bool save, close, report, exportData, cancel, deleteAll, read, memo;
};

struct StateCase {
    const char* name;
    int results;          // -1: no project
    bool typeDescription; // an unposted description edit
    bool typeComment;     // an unposted comment edit
    bool deleteAll;       // Delete all answered Yes
    Enabled expected;
};

const StateCase kStates[] = {
    {"no project", -1, false, false, false, {0, 0, 0, 0, 0, 0, 0, 0}},
    {"open, no results", 0, false, false, false, {0, 1, 0, 0, 0, 0, 1, 0}},
    {"open, no results, description typed", 0, true, false, false, {1, 1, 0, 0, 1, 0, 1, 0}},
    {"open, results deleted", 3, false, false, true, {1, 1, 0, 0, 1, 0, 1, 0}},
    {"open, with results", 3, false, false, false, {0, 1, 1, 1, 0, 1, 1, 1}},
    {"open, with results, comment typed", 3, false, true, false, {1, 1, 1, 1, 1, 1, 1, 1}},
};

} // namespace

TEST_F(MainFormTest, EnablingFollowsTheProjectStateInEveryState) {
    for (const auto& c : kStates) {
        SCOPED_TRACE(c.name);
        m_form.reset();
        m_store = std::make_unique<TMainDataModule>();
        if (c.results >= 0) {
            const QString file = makeProject(QString("p%1.fdb").arg(&c - kStates), c.results);
            writeSettings("[General]\nLastProject=" + file.toUtf8() +
                          "\nProjectPath=" + m_dir.path().toUtf8() + "/\n");
        } else {
            writeSettings("");
        }
        TMainForm& form = start();
        if (c.typeDescription)
            type(form.DescriptionDBMemo, "x");
        if (c.typeComment)
            type(form.CommentDBMemo, "x");
        if (c.deleteAll) {
            m_messages.answer(QMessageBox::Yes);
            form.DeleteAllRecordsAction->trigger();
        }
        idle();
        const Enabled& e = c.expected;
        EXPECT_EQ(form.SaveProjectAction->isEnabled(), e.save);
        EXPECT_EQ(form.CloseProjectAction->isEnabled(), e.close);
        EXPECT_EQ(form.PrintReportAction->isEnabled(), e.report);
        EXPECT_EQ(form.ExportAction->isEnabled(), e.exportData);
        EXPECT_EQ(form.CancelChangesAction->isEnabled(), e.cancel);
        EXPECT_EQ(form.DeleteAllRecordsAction->isEnabled(), e.deleteAll);
        EXPECT_EQ(form.ReadFromDeviceAction->isEnabled(), e.read);
        EXPECT_EQ(form.CommentDBMemo->isEnabled(), e.memo);
        // The tool-bar buttons follow their commands.
        EXPECT_EQ(form.ToolBar->widgetForAction(form.SaveProjectAction)->isEnabled(), e.save);
        EXPECT_EQ(form.ToolBar->widgetForAction(form.DeleteAllRecordsAction)->isEnabled(),
                  e.deleteAll);
        for (QAction* always :
             {form.CreateNewProjectAction, form.OpenProjectAction, form.ExitApplicationAction,
              form.ScreenShotAction, form.AboutMenuItem})
            EXPECT_TRUE(always->isEnabled()) << always->text().toStdString();
        EXPECT_TRUE(form.cboxLoadUnit->isEnabled());
        EXPECT_EQ(form.PageControl->isVisible(), c.results >= 0);
    }
}

// A command whose button still looks enabled is checked again when it is asked to run.
TEST_F(MainFormTest, ACommandDisabledNowDoesNotRunEvenWhenItLookedEnabled) {
    TMainForm& form = start();
    form.DeleteAllRecordsAction->setEnabled(true); // stale state
    form.DeleteAllRecordsAction->trigger();
    EXPECT_TRUE(m_messages.shown.empty());
    EXPECT_FALSE(form.DeleteAllRecordsAction->isEnabled());
}

TEST_F(MainFormTest, SaveShortcutsDoNothingWithoutChangesAndSaveTheTypedCommentWithoutLeaving) {
    const QString file = makeProject("short.fdb", 2);
    writeSettings("[General]\nLastProject=" + file.toUtf8() + "\n");
    TMainForm& form = start();
    QString expected;
    for (auto key : {Qt::Key_S, Qt::Key_R}) {
        SCOPED_TRACE(key == Qt::Key_S ? "Ctrl+S" : "Ctrl+R");
        form.CommentDBMemo->setFocus();
        QTest::keyClick(form.CommentDBMemo, key, Qt::ControlModifier); // nothing to save
        const QString more = key == Qt::Key_S ? "Проверка" : " вторая";
        expected += more;
        type(form.CommentDBMemo, more);
        // No idle moment between typing and the shortcut: the shortcut itself re-evaluates.
        QTest::keyClick(form.CommentDBMemo, key, Qt::ControlModifier);
        EXPECT_TRUE(form.CommentDBMemo->hasFocus());
        EXPECT_FALSE(m_store->ProjectModified());
        const auto stored = commentsIn(file);
        ASSERT_EQ(stored.size(), 2u);
        EXPECT_EQ(stored[0], platform::toCp1251(expected));
    }
    EXPECT_TRUE(m_messages.shown.empty());
}

TEST_F(MainFormTest, ShortcutsOfAlwaysEnabledCommandsWorkFromAnyControl) {
    TMainForm& form = start();
    form.cboxLoadUnit->setFocus();
    QTest::keyClick(form.cboxLoadUnit, Qt::Key_N, Qt::ControlModifier);
    ASSERT_EQ(m_messages.shown.size(), 1u);
    EXPECT_EQ(m_messages.shown[0].kind, ui::ShownMessage::SaveFile);
    QTest::keyClick(form.cboxLoadUnit, Qt::Key_O, Qt::ControlModifier);
    ASSERT_EQ(m_messages.shown.size(), 2u);
    EXPECT_EQ(m_messages.shown[1].kind, ui::ShownMessage::OpenFile);
    QTest::keyClick(form.cboxLoadUnit, Qt::Key_E, Qt::ControlModifier);
    EXPECT_FALSE(form.isVisible());
}

// Tooltips show the short part of a hint, the first status panel the long part.
TEST_F(MainFormTest, HintsSplitBetweenTooltipAndStatusLine) {
    TMainForm& form = start();
    EXPECT_EQ(form.PrintReportAction->toolTip(), QStringLiteral("Создать отчёт"));
    EXPECT_EQ(form.PrintReportAction->statusTip(), QStringLiteral("Создание и печать отчёта"));
    EXPECT_TRUE(form.cboxLoadUnit->toolTip().isEmpty());
    const struct {
        QWidget* under;
        QString tip;
    } cases[] = {
        {form.ToolBar->widgetForAction(form.SaveProjectAction), "Сохранить проект"},
        {form.cboxLoadUnit, "Единицы измерения усилия"},
        {form.ToolBar, QString()},
    };
    for (const auto& c : cases) {
        QStatusTipEvent tip(c.under->statusTip()); // what Qt sends on hover
        QApplication::sendEvent(c.under, &tip);
        EXPECT_EQ(form.StatusPanels.front()->text(), c.tip);
    }
    ASSERT_EQ(form.StatusPanels.size(), 3u);
    EXPECT_EQ(form.StatusPanels[0]->width(), 350);
}
