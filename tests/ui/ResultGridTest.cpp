#include "ui/ResultGrid.h"
#include "ProjectFixture.h"
#include "ui/ResultTableModel.h"

#include <QHeaderView>

TEST_F(ProjectFixture, GridShowsTheVisibleFieldsWithTheirTitlesTextsAndAlignment) {
    ui::ResultGrid grid;
    grid.setDataset(&results());
    auto* model = grid.resultModel();
    ASSERT_EQ(model->columnCount(), 5);
    ASSERT_EQ(model->rowCount(), 3);
    const char* titles[] = {"Дата", "Время", "№", "Объект", "Усилие"};
    for (int c = 0; c < 5; ++c) {
        EXPECT_EQ(model->headerData(c, Qt::Horizontal).toString(), QString::fromUtf8(titles[c]));
        const auto& def = results().fieldDef(model->fieldOf(c));
        EXPECT_EQ(grid.columnWidth(c), grid.columnWidthFor(def.displayWidth, def.title));
        for (int r = 0; r < 3; ++r)
            EXPECT_EQ(model->index(r, c).data().toString(), results().text(r, model->fieldOf(c)));
    }
    const auto numberAlign = model->index(0, 2).data(Qt::TextAlignmentRole).value<Qt::Alignment>();
    EXPECT_TRUE(numberAlign & Qt::AlignRight);
    const auto nameAlign = model->index(0, 3).data(Qt::TextAlignmentRole).value<Qt::Alignment>();
    EXPECT_TRUE(nameAlign & Qt::AlignLeft);
    EXPECT_FALSE(model->flags(model->index(0, 0)) & Qt::ItemIsEditable);
}

TEST_F(ProjectFixture, ColumnWidthIsDigitsPlusFourAndNeverNarrowerThanTheTitle) {
    ui::ResultGrid grid;
    const int digit = grid.fontMetrics().horizontalAdvance(QLatin1Char('0'));
    const int title = grid.horizontalHeader()->fontMetrics().horizontalAdvance("Очень длинный");
    EXPECT_EQ(grid.columnWidthFor(12, "Дата"), 12 * digit + 4);
    EXPECT_EQ(grid.columnWidthFor(1, "Очень длинный"), title + 4);
}

TEST_F(ProjectFixture, GridRedrawsWhenTheLoadUnitChanges) {
    ui::ResultGrid grid;
    grid.setDataset(&results());
    const QModelIndex load = grid.resultModel()->index(0, 4);
    EXPECT_EQ(load.data().toString(), QStringLiteral("12.345 "));
    m_store.SetLoadUnit(1);
    EXPECT_EQ(grid.resultModel()->index(0, 4).data().toString(), QStringLiteral("121.06 "));
}

TEST_F(ProjectFixture, SelectionAndCurrentRowFollowEachOther) {
    ui::ResultGrid grid;
    grid.setDataset(&results());
    grid.show();
    grid.setCurrentIndex(grid.resultModel()->index(2, 1));
    EXPECT_EQ(results().currentRow(), 2);
    results().first();
    EXPECT_EQ(grid.currentIndex().row(), 0);
    EXPECT_TRUE(grid.selectionModel()->isRowSelected(0, {}));
    results().deleteCurrent();
    EXPECT_EQ(grid.resultModel()->rowCount(), 2);
    EXPECT_EQ(grid.currentIndex().row(), results().currentRow());
    m_store.CloseProjectDatabase();
    EXPECT_EQ(grid.resultModel()->rowCount(), 0);
}
