#include "MainFormFixture.h"

#include "platform/Cp1251.h"
#include "store/ResultDataSet.h"
#include "ui/DataMemo.h"
#include "ui/ResultGrid.h"

#include <QAction>
#include <QFile>
#include <QTabWidget>
#include <QTest>

namespace {

enum class Entry { Close, New, Open, Window };

const char* name(Entry e) {
    switch (e) {
    case Entry::Close:
        return "Close";
    case Entry::New:
        return "New";
    case Entry::Open:
        return "Open";
    default:
        return "window close";
    }
}

} // namespace

// Every way of closing a modified project asks the same question, and each answer does what
// it says: Yes saves the typed comment, No drops it, Cancel keeps everything as it was.
TEST_F(MainFormTest, SaveQuestionAnswersFromEveryWayOfClosing) {
    for (Entry entry : {Entry::Close, Entry::New, Entry::Open, Entry::Window}) {
        for (auto answer : {QMessageBox::Yes, QMessageBox::No, QMessageBox::Cancel}) {
            SCOPED_TRACE(std::string(name(entry)) + " / " +
                         (answer == QMessageBox::Yes  ? "Yes"
                          : answer == QMessageBox::No ? "No"
                                                      : "Cancel"));
            m_form.reset();
            m_store = std::make_unique<TMainDataModule>();
            QFile::remove(path("zor.ini"));
            QFile::remove(path("q.fdb"));
            const QString file = makeProject("q.fdb", 2);
            writeSettings("[General]\nLastProject=" + file.toUtf8() + "\n");
            TMainForm& form = start();
            type(form.CommentDBMemo, "Комментарий");
            m_messages.clear();
            m_messages.answer(answer);
            switch (entry) {
            case Entry::Close:
                form.CloseProjectAction->trigger();
                break;
            case Entry::New:
                form.CreateNewProjectAction->trigger();
                break;
            case Entry::Open:
                form.OpenProjectAction->trigger();
                break;
            case Entry::Window:
                form.close();
                break;
            }
            ASSERT_GE(m_messages.shown.size(), 1u);
            const auto& q = m_messages.shown[0];
            EXPECT_EQ(q.text, QStringLiteral("Сохранить изменеия в проекте\rq.fdb ?"));
            EXPECT_EQ(q.caption, QStringLiteral("ЗОР-1.0"));
            EXPECT_EQ(q.icon, QMessageBox::Question);
            EXPECT_EQ(q.buttons, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
            EXPECT_EQ(q.defaultButton, QMessageBox::Yes);
            const bool cancelled = answer == QMessageBox::Cancel;
            // New and Open go on to their file dialog (cancelled by the script).
            const bool dialog = !cancelled && (entry == Entry::New || entry == Entry::Open);
            EXPECT_EQ(m_messages.shown.size(), dialog ? 2u : 1u);
            if (cancelled) {
                EXPECT_TRUE(m_store->ProjectActive());
                EXPECT_TRUE(m_store->ProjectModified());
                EXPECT_EQ(form.windowTitle(), QStringLiteral("ЗОР-1.0 - [q.fdb]"));
                EXPECT_TRUE(form.isVisible());
                EXPECT_TRUE(settingsText().contains("LastProject=" + file.toUtf8()));
                EXPECT_FALSE(settingsText().contains("LoadUnit")); // not written
                m_store->CancelChanges();
                m_store->dsetZOR()->cancel();
                m_store->CloseProjectDatabase();
            } else {
                EXPECT_FALSE(m_store->ProjectActive());
                if (entry == Entry::Window) {
                    EXPECT_FALSE(form.isVisible());
                    // The project is remembered and reopened at the next start.
                    EXPECT_TRUE(settingsText().contains("LastProject=" + file.toUtf8()));
                } else {
                    EXPECT_EQ(form.windowTitle(), QStringLiteral("ЗОР-1.0"));
                    EXPECT_FALSE(form.PageControl->isVisible());
                }
            }
            const auto stored = commentsIn(file);
            ASSERT_EQ(stored.size(), 2u);
            EXPECT_EQ(stored[0], answer == QMessageBox::Yes ? platform::toCp1251("Комментарий")
                                                            : QByteArray());
        }
    }
}

TEST_F(MainFormTest, NothingIsAskedWhenTheProjectHasNoChanges) {
    const QString file = makeProject("calm.fdb", 1);
    writeSettings("[General]\nLastProject=" + file.toUtf8() + "\n");
    TMainForm& form = start();
    form.CloseProjectAction->trigger();
    EXPECT_TRUE(m_messages.shown.empty());
    EXPECT_FALSE(m_store->ProjectActive());
    EXPECT_EQ(form.windowTitle(), QStringLiteral("ЗОР-1.0"));
}

TEST_F(MainFormTest, DeleteAllThenNoOnCloseLeavesTheFileAsItWas) {
    const QString file = makeProject("keep.fdb", 3);
    writeSettings("[General]\nLastProject=" + file.toUtf8() + "\n");
    TMainForm& form = start();
    m_messages.answer(QMessageBox::Yes);
    form.DeleteAllRecordsAction->trigger();
    ASSERT_EQ(m_messages.shown.size(), 1u);
    EXPECT_EQ(m_messages.shown[0].text, QStringLiteral("Удалить все записи из проекта?"));
    EXPECT_EQ(m_messages.shown[0].buttons, QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(m_messages.shown[0].defaultButton, QMessageBox::Yes);
    EXPECT_EQ(m_store->dsetZOR()->recordCount(), 0);
    EXPECT_EQ(form.MainDBGrid->model()->rowCount(), 0);
    m_messages.answer(QMessageBox::No);
    form.CloseProjectAction->trigger();
    EXPECT_EQ(commentsIn(file).size(), 3u);
}

TEST_F(MainFormTest, DeleteAllAnsweredNoChangesNothing) {
    const QString file = makeProject("no.fdb", 2);
    writeSettings("[General]\nLastProject=" + file.toUtf8() + "\n");
    TMainForm& form = start();
    m_messages.answer(QMessageBox::No);
    form.DeleteAllRecordsAction->trigger();
    EXPECT_EQ(m_store->dsetZOR()->recordCount(), 2);
    EXPECT_FALSE(m_store->ProjectModified());
}

TEST_F(MainFormTest, OpenShowsCaptionAndThePageThatSuitsTheProject) {
    const QString withResults = makeProject("full.fdb", 2);
    const QString empty = makeProject("empty.fdb", 0);
    TMainForm& form = start();
    const struct {
        QString file;
        QWidget* page;
        const char* caption;
    } cases[] = {{withResults, form.DataTabSheet, "ЗОР-1.0 - [full.fdb]"},
                 {empty, form.DescriptionTabSheet, "ЗОР-1.0 - [empty.fdb]"}};
    for (const auto& c : cases) {
        m_messages.chooseFile(c.file);
        form.OpenProjectAction->trigger();
        const auto& dialog = m_messages.shown.back();
        EXPECT_EQ(dialog.kind, ui::ShownMessage::OpenFile);
        EXPECT_EQ(dialog.file.title, QStringLiteral("Открыть проект"));
        EXPECT_EQ(dialog.file.filter, QStringLiteral("Файлы проектов (.fdb) (*.fdb)"));
        EXPECT_TRUE(dialog.file.labelsOnly);
        EXPECT_EQ(dialog.file.directory, form.GetProjectPath());
        EXPECT_EQ(form.windowTitle(), QString::fromUtf8(c.caption));
        EXPECT_TRUE(form.PageControl->isVisible());
        EXPECT_EQ(form.PageControl->currentWidget(), c.page);
        EXPECT_EQ(form.GetProjectName(), c.file);
    }
    EXPECT_EQ(m_messages.unanswered, 0);
}

TEST_F(MainFormTest, OpeningAFileThatIsNoProjectSaysSoAndLeavesNoProjectOpen) {
    QFile junk(path("notes.fdb"));
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write("these are not the pages of a database\n");
    junk.close();
    TMainForm& form = start();
    m_messages.chooseFile(junk.fileName());
    form.OpenProjectAction->trigger();
    ASSERT_EQ(m_messages.shown.size(), 2u);
    EXPECT_EQ(m_messages.shown[1].kind, ui::ShownMessage::Error);
    EXPECT_TRUE(m_messages.shown[1].text.startsWith("Не удалось открыть проект!"));
    EXPECT_EQ(form.windowTitle(), QStringLiteral("ЗОР-1.0"));
    EXPECT_FALSE(form.PageControl->isVisible());
    EXPECT_TRUE(form.GetProjectName().isEmpty());
    EXPECT_FALSE(m_store->ProjectActive());
}

TEST_F(MainFormTest, NewReplacesAnExistingFileWithAnEmptyProject) {
    const QString file = makeProject("old.fdb", 3);
    TMainForm& form = start();
    m_messages.chooseFile(file);
    form.CreateNewProjectAction->trigger();
    const auto& dialog = m_messages.shown.at(0);
    EXPECT_EQ(dialog.kind, ui::ShownMessage::SaveFile);
    EXPECT_EQ(dialog.file.title, QStringLiteral("Новый проект"));
    EXPECT_EQ(dialog.file.filter, QStringLiteral("Файлы проектов (*.fdb)"));
    EXPECT_EQ(dialog.file.defaultSuffix, QStringLiteral("fdb"));
    EXPECT_TRUE(dialog.file.confirmOverwrite);
    EXPECT_EQ(m_messages.shown.size(), 1u);
    EXPECT_TRUE(m_store->ProjectActive());
    EXPECT_TRUE(m_store->ResultsEmpty());
    EXPECT_EQ(form.PageControl->currentWidget(), form.DescriptionTabSheet);
    EXPECT_EQ(form.windowTitle(), QStringLiteral("ЗОР-1.0 - [old.fdb]"));
}

TEST_F(MainFormTest, NewInAFolderThatCannotHoldTheFileSaysSo) {
    TMainForm& form = start();
    m_messages.chooseFile(path("missing/folder/new.fdb"));
    form.CreateNewProjectAction->trigger();
    ASSERT_EQ(m_messages.shown.size(), 2u);
    EXPECT_TRUE(m_messages.shown[1].text.startsWith("Не удалось создать проект!"));
    EXPECT_FALSE(m_store->ProjectActive());
    EXPECT_EQ(form.windowTitle(), QStringLiteral("ЗОР-1.0"));
}

TEST_F(MainFormTest, NewOrOpenCancelledInTheDialogLeavesThePreviousProjectClosed) {
    const QString file = makeProject("prev.fdb", 1);
    writeSettings("[General]\nLastProject=" + file.toUtf8() + "\n");
    TMainForm& form = start();
    for (QAction* command : {form.CreateNewProjectAction, form.OpenProjectAction}) {
        if (!m_store->ProjectActive())
            form.OpenProject(file);
        ASSERT_TRUE(form.PageControl->isVisible());
        command->trigger(); // the script cancels the dialog
        EXPECT_FALSE(m_store->ProjectActive());
        EXPECT_EQ(form.windowTitle(), QStringLiteral("ЗОР-1.0"));
    }
}

// Cancel changes also drops text still being typed: the memo shows the saved text again.
TEST_F(MainFormTest, CancelChangesDiscardsAnEditStillInProgress) {
    const QString file = makeProject("undo.fdb", 2);
    writeSettings("[General]\nLastProject=" + file.toUtf8() + "\n");
    TMainForm& form = start();
    type(form.DescriptionDBMemo, "Описание");
    form.CancelChangesAction->trigger();
    EXPECT_FALSE(m_store->ProjectModified());
    EXPECT_TRUE(form.DescriptionDBMemo->toPlainText().isEmpty());
    form.CommentDBMemo->setFocus(); // leaving the memo posts nothing now
    idle();
    EXPECT_FALSE(m_store->ProjectModified());
    EXPECT_TRUE(m_messages.shown.empty());
}

TEST_F(MainFormTest, LeavingAMemoMakesItsTextAPendingChange) {
    const QString file = makeProject("exit.fdb", 2);
    writeSettings("[General]\nLastProject=" + file.toUtf8() + "\n");
    TMainForm& form = start();
    type(form.CommentDBMemo, "abc");
    EXPECT_EQ(m_store->dsetZOR()->state(), store::DataSetState::Edit);
    form.MainDBGrid->setFocus();
    EXPECT_EQ(m_store->dsetZOR()->state(), store::DataSetState::Browse);
    EXPECT_TRUE(m_store->ProjectModified());
    form.SaveProjectAction->trigger();
    EXPECT_EQ(commentsIn(file).at(0), QByteArray("abc"));
}
