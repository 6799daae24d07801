#include "MainFormFixture.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFontInfo>
#include <QLabel>
#include <QTabWidget>

TEST_F(MainFormTest, FirstRunCreatesTheProjectsFolderAndWritesEveryKeyAtExit) {
    TMainForm& form = start();
    EXPECT_TRUE(QDir(path("projects")).exists());
    EXPECT_EQ(form.GetProjectPath(), path("projects/"));
    EXPECT_EQ(form.windowTitle(), QStringLiteral("ЗОР-1.0"));
    EXPECT_EQ(form.cboxLoadUnit->currentText(), QStringLiteral("кгс"));
    EXPECT_TRUE(m_messages.shown.empty());
    EXPECT_EQ(form.size(), QSize(720, 572));
    EXPECT_EQ(form.minimumSize(), QSize(720, 560));
    // Without "MS Sans Serif" the window and its controls use "Arial", 11 pixels high.
    const QFontInfo shown(form.CommentLabel->font());
    EXPECT_EQ(shown.family(), QFontInfo(QFont("Arial")).family());
    EXPECT_EQ(shown.pixelSize(), 11);
    form.close();
    const QByteArray ini = settingsText();
    for (const char* line :
         {"LastProject=\n", "InkColor=0\n", "BackgroundColor=16777215\n", "LoadUnit=0\n"})
        EXPECT_TRUE(ini.contains(line)) << line;
    EXPECT_TRUE(ini.contains("ProjectPath=" + path("projects/").toUtf8()));
}

TEST_F(MainFormTest, LoadUnitSettingSelectsTheBoxEntryAndIsWrittenBackAsChosen) {
    const struct {
        const char* stored;
        const char* shown;
        int pick; // -1: the operator picks nothing
        const char* written;
    } cases[] = {
        {"1", "Н", -1, "LoadUnit=1"}, {"0", "кгс", -1, "LoadUnit=0"}, {"2", "Н", -1, "LoadUnit=2"},
        {"1", "Н", 0, "LoadUnit=0"},  {"0", "кгс", 1, "LoadUnit=1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored);
        m_form.reset();
        writeSettings(QByteArray("[Processing]\nLoadUnit=") + c.stored + "\n[Mine]\nKeep=1\n");
        TMainForm& form = start();
        EXPECT_EQ(form.cboxLoadUnit->currentText(), QString::fromUtf8(c.shown));
        EXPECT_EQ(m_store->LoadUnit(), c.stored[0] == '1' ? 1 : c.stored[0] == '2' ? 2 : 0);
        if (c.pick >= 0) {
            form.cboxLoadUnit->setCurrentIndex(c.pick);
            emit form.cboxLoadUnit->activated(c.pick);
            EXPECT_EQ(m_store->LoadUnit(), c.pick);
        }
        form.close();
        EXPECT_TRUE(settingsText().contains(c.written));
        EXPECT_TRUE(settingsText().contains("Keep=1"));
    }
}

TEST_F(MainFormTest, AMissingLastProjectIsForgottenWithoutAMessage) {
    ASSERT_TRUE(QDir().mkpath(path("folder.fdb"))); // a folder is not a project file either
    for (const char* last : {"gone.fdb", "folder.fdb"}) {
        writeSettings("[General]\nLastProject=" + path(last).toUtf8() +
                      "\nProjectPath=" + path("nowhere/").toUtf8() + "\n");
        TMainForm& form = start();
        EXPECT_TRUE(m_messages.shown.empty()) << last;
        EXPECT_EQ(form.windowTitle(), QStringLiteral("ЗОР-1.0"));
        EXPECT_FALSE(form.PageControl->isVisible());
        // A non-empty folder setting is taken as it stands, not created.
        EXPECT_EQ(form.GetProjectPath(), path("nowhere/"));
        EXPECT_FALSE(QDir(path("nowhere")).exists());
        form.close();
        EXPECT_TRUE(settingsText().contains("LastProject=\n")) << last;
        EXPECT_TRUE(settingsText().contains("ProjectPath=" + path("nowhere/").toUtf8()));
        m_form.reset();
        m_messages.clear();
    }
}

TEST_F(MainFormTest, AnUnwritableSettingsFileIsReportedAndTheWindowStillCloses) {
    // A file where the settings folder should be: no one can write there, not even root.
    QFile blocker(path("blocked"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    TMainFormOptions o = options();
    o.settingsPath = path("blocked/zor.ini");
    m_form = std::make_unique<TMainForm>(o, m_store.get());
    m_form->show();
    m_form->close();
    EXPECT_FALSE(m_form->isVisible());
    ASSERT_EQ(m_messages.shown.size(), 1u);
    EXPECT_EQ(m_messages.shown[0].kind, ui::ShownMessage::Error);
    EXPECT_EQ(m_messages.shown[0].caption, QStringLiteral("ЗОР-1.0"));
    EXPECT_EQ(m_messages.shown[0].text, "Unable to write to " + o.settingsPath + ".");
}

TEST_F(MainFormTest, AProjectsFolderThatCannotBeMadeIsReportedAndStartUpGoesOn) {
    QFile blocker(path("projects")); // a file in the folder's place
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const QString file = makeProject("still.fdb", 1);
    writeSettings("[General]\nLastProject=" + file.toUtf8() + "\n");
    TMainForm& form = start();
    ASSERT_EQ(m_messages.shown.size(), 1u);
    EXPECT_EQ(m_messages.shown[0].text, path("projects") + ".");
    EXPECT_TRUE(form.GetProjectPath().isEmpty());
    EXPECT_TRUE(m_store->ProjectActive());
}
