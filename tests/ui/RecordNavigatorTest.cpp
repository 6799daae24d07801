#include "ui/RecordNavigator.h"
#include "ProjectFixture.h"
#include "ui/ScriptedMessages.h"

#include <QToolButton>

using Nav = ui::RecordNavigator;

TEST_F(ProjectFixture, NavigatorMovesTheRowAndEnablesOnlyWhatCanMove) {
    Nav nav;
    nav.bind(&results());
    auto enabled = [&](Nav::Button b) { return nav.button(b)->isEnabled(); };
    const struct {
        Nav::Button press;
        int row;
    } steps[] = {{Nav::Last, 2}, {Nav::Prior, 1}, {Nav::First, 0}, {Nav::Next, 1}};
    for (const auto& s : steps) {
        nav.button(s.press)->click();
        EXPECT_EQ(results().currentRow(), s.row);
        EXPECT_EQ(enabled(Nav::First), s.row > 0);
        EXPECT_EQ(enabled(Nav::Prior), s.row > 0);
        EXPECT_EQ(enabled(Nav::Next), s.row < 2);
        EXPECT_EQ(enabled(Nav::Last), s.row < 2);
        EXPECT_TRUE(enabled(Nav::Delete));
    }
    EXPECT_EQ(nav.button(Nav::Delete)->statusTip(), QStringLiteral("Удалить запись"));
}

TEST_F(ProjectFixture, DeleteRemovesTheRowAtOnceAsAPendingChange) {
    ui::ScriptedMessages messages;
    Nav nav;
    nav.bind(&results());
    for (int left = 2; left >= 0; --left) {
        nav.button(Nav::Delete)->click();
        EXPECT_EQ(results().recordCount(), left);
    }
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_TRUE(m_store.ProjectModified());
    for (int b = 0; b < Nav::ButtonCount; ++b)
        EXPECT_FALSE(nav.button(Nav::Button(b))->isEnabled());
    m_store.CancelChanges();
    EXPECT_EQ(results().recordCount(), 3);
    EXPECT_TRUE(nav.button(Nav::Delete)->isEnabled());
}
