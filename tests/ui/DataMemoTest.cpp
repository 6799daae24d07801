#include "ui/DataMemo.h"
#include "ProjectFixture.h"
#include "platform/Cp1251.h"
#include "store/DescriptionDataSet.h"

#include <QApplication>
#include <QKeyEvent>
#include <QSignalSpy>

namespace {
void typeInto(QWidget* w, const QString& text) {
    for (QChar ch : text) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(ch));
        QApplication::sendEvent(w, &press);
    }
}
} // namespace

TEST_F(ProjectFixture, TypingEditsTheFieldInWindows1251AndTheMemoFollowsTheRow) {
    results().first();
    ui::DataMemo memo;
    memo.bind(&results(), store::MSR_COMMENT);
    EXPECT_TRUE(memo.toPlainText().isEmpty());
    typeInto(&memo, "Ёлка №1");
    EXPECT_EQ(results().state(), store::DataSetState::Edit);
    EXPECT_EQ(results().value(0, store::MSR_COMMENT).toByteArray(),
              QByteArray("\xA8\xEB\xEA\xE0 \xB9"
                         "1"));
    EXPECT_TRUE(m_store.ProjectModified());
    results().next(); // moving posts the edit
    EXPECT_TRUE(memo.toPlainText().isEmpty());
    results().first();
    EXPECT_EQ(memo.toPlainText(), QStringLiteral("Ёлка №1"));
    m_store.SaveChanges();
    EXPECT_EQ(results().comment(0), platform::toCp1251("Ёлка №1"));
}

TEST_F(ProjectFixture, CancelledEditShowsTheStoredTextAgain) {
    ui::DataMemo memo;
    memo.bind(m_store.DescriptionDataSet(), store::PROJECT_DESC);
    typeInto(&memo, "abc");
    EXPECT_EQ(memo.toPlainText(), "abc");
    m_store.DescriptionDataSet()->cancel();
    EXPECT_TRUE(memo.toPlainText().isEmpty());
    EXPECT_FALSE(m_store.ProjectModified());
}

TEST_F(ProjectFixture, ExitedFiresWhenTheFocusMovesWithinTheWindowOnly) {
    QWidget window;
    auto* memo = new ui::DataMemo(&window);
    auto* other = new QWidget(&window);
    other->setFocusPolicy(Qt::StrongFocus);
    QSignalSpy exited(memo, &ui::DataMemo::exited);
    const struct {
        Qt::FocusReason reason;
        bool fires;
    } cases[] = {{Qt::TabFocusReason, true},      {Qt::MouseFocusReason, true},
                 {Qt::OtherFocusReason, true},    {Qt::PopupFocusReason, false},
                 {Qt::MenuBarFocusReason, false}, {Qt::ActiveWindowFocusReason, false}};
    for (const auto& c : cases) {
        exited.clear();
        QFocusEvent out(QEvent::FocusOut, c.reason);
        QApplication::sendEvent(memo, &out);
        EXPECT_EQ(exited.count(), c.fires ? 1 : 0) << c.reason;
    }
}
