#pragma once
#include "app/MainUnit.h"
#include "store/MainDataModuleUnit.h"
#include "ui/ScriptedMessages.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

// A real main window over real project files in a temporary folder that stands in for the
// executable's folder; message boxes and file dialogs answer from a script.
class MainFormTest : public ::testing::Test {
protected:
    ~MainFormTest() override;

    TMainFormOptions options() const;
    TMainForm& start();
    void idle(); // let the event loop reach an idle moment
    QString path(const QString& name) const { return m_dir.path() + "/" + name; }
    void writeSettings(const QByteArray& text);
    QByteArray settingsText() const;

    // A project file with `results` measurements (numbers 1..n), written by a separate store.
    QString makeProject(const QString& name, int results);
    // The comments and the description as stored in a file.
    static std::vector<QByteArray> commentsIn(const QString& file);
    static QByteArray descriptionIn(const QString& file);

    // Typing into a memo as the operator does: the memo has the focus and keeps it.
    void type(QWidget* memo, const QString& text);
    QString questionText() const;

    QTemporaryDir m_dir;
    ui::ScriptedMessages m_messages;
    std::unique_ptr<TMainDataModule> m_store = std::make_unique<TMainDataModule>();
    std::unique_ptr<TMainForm> m_form;
};
