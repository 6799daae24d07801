#include "StoreFixture.h"

#include "store/DescriptionDataSet.h"
#include "store/UpdateGuard.h"

#include <QProcess>
#include <QSignalSpy>
#include <csignal>
#include <functional>
#include <tuple>

using namespace store;

namespace {
const double kMay1 = StoreFixture::at(2024, 5, 1, 10, 0, 0);
const double kApr30 = StoreFixture::at(2024, 4, 30, 9, 0, 0);
} // namespace

TEST_F(StoreFixture, MergeSkipsDuplicatesAndSortsByDateThenNumber) {
    openNewProject();
    store.BeginUpdate();
    EXPECT_TRUE(store.AddResult(result(kMay1, 7)));
    EXPECT_TRUE(store.AddResult(result(kMay1, 3)));
    EXPECT_TRUE(store.AddResult(result(kApr30, 9)));
    EXPECT_FALSE(store.AddResult(result(kMay1, 7, 99.0, "Other", 1))) << "same date and number";
    EXPECT_TRUE(store.AddResult(result(kMay1 + 1.0 / 86400, 7))) << "one second later is new";
    store.SortResults();
    store.EndUpdate();
    EXPECT_EQ(rows(),
              (std::vector<std::string>{"30.04.2024 09:00:00 #9", "01.05.2024 10:00:00 #3",
                                        "01.05.2024 10:00:00 #7", "01.05.2024 10:00:01 #7"}));
    EXPECT_TRUE(store.ProjectModified());
    // A number above the signed range is stored negative and never matches again.
    EXPECT_TRUE(store.AddResult(result(kMay1, 0xFFFFFFF9u)));
    EXPECT_TRUE(store.AddResult(result(kMay1, 0xFFFFFFF9u)));
}

TEST_F(StoreFixture, DuplicateTestLeavesTheMatchOrTheLastRowCurrent) {
    openNewProject();
    store.AddResult(result(kApr30, 1));
    store.AddResult(result(kApr30, 2));
    store.AddResult(result(kApr30, 3));
    EXPECT_TRUE(store.ResultExists(result(kApr30, 1)));
    EXPECT_EQ(results().currentRow(), 0);
    EXPECT_FALSE(store.ResultExists(result(kMay1, 1)));
    EXPECT_EQ(results().currentRow(), 2);
    results().first();
    results().deleteCurrent(); // deleted rows no longer count
    EXPECT_FALSE(store.ResultExists(result(kApr30, 1)));
    // A posted change of the number is what the test sees next.
    results().first(); // #2
    results().setFieldValue(MSR_NUMBER, 5);
    store.PostEdits();
    EXPECT_FALSE(store.ResultExists(result(kApr30, 2)));
    EXPECT_TRUE(store.ResultExists(result(kApr30, 5)));
}

// A comment being typed when a download is merged stays with the row it was typed on.
TEST_F(StoreFixture, MergeDuringAnEditKeepsTheEditOnItsRow) {
    openNewProject();
    for (uint32_t n = 1; n <= 3; ++n)
        store.AddResult(result(kMay1, n));
    results().moveTo(0);
    results().setFieldValue(MSR_COMMENT, QByteArray("typed on #1"));
    store.BeginUpdate();
    EXPECT_FALSE(store.AddResult(result(kMay1, 3))) << "moves the current row to #3";
    EXPECT_TRUE(store.AddResult(result(kApr30, 4)));
    store.SortResults();
    store.EndUpdate();
    EXPECT_EQ(results().state(), DataSetState::Browse);
    EXPECT_EQ(rows()[1], "01.05.2024 10:00:00 #1");
    EXPECT_EQ(results().comment(1), QByteArray("typed on #1"));
    for (int row : {0, 2, 3})
        EXPECT_TRUE(results().isNull(row, MSR_COMMENT)) << "row " << row;
}

TEST_F(StoreFixture, SavedChangesSurviveReopenWithFileValues) {
    const QString p = openNewProject();
    store.AddResult(result(kMay1, 1, 12.345, "Beam"));
    store.AddResult(result(kMay1, 2, 0.1, "Rod"));
    store.AddResult(result(kApr30, 3, -3.25, "", -1));
    store.SortResults();
    auto& desc = *store.DescriptionDataSet();
    desc.setFieldValue(PROJECT_DESC, QByteArray("\xCF\xF0\xEE\xE5\xEA\xF2")); // "Проект"
    EXPECT_EQ(desc.state(), DataSetState::Edit);
    EXPECT_TRUE(store.ProjectModified()) << "an edit in progress counts";
    store.PostEdits();
    store.SaveChanges();
    EXPECT_FALSE(store.ProjectModified());
    EXPECT_FLOAT_EQ(results().value(1, LOAD).toDouble(), 12.345f);
    EXPECT_EQ(results().value(1, LOAD).toDouble(), static_cast<double>(12.345f))
        << "the saved load comes back in single precision";

    results().moveTo(1);
    results().setFieldValue(MSR_COMMENT, QByteArray("crack"));
    store.PostEdits();
    results().moveTo(0);
    results().deleteCurrent();
    store.SaveChanges();
    reopen(p);
    EXPECT_EQ(rows(),
              (std::vector<std::string>{"01.05.2024 10:00:00 #1", "01.05.2024 10:00:00 #2"}));
    EXPECT_EQ(results().comment(0), QByteArray("crack"));
    EXPECT_TRUE(results().isNull(1, MSR_COMMENT));
    EXPECT_EQ(results().text(0, OBJECT_NAME), QStringLiteral("Beam"));
    EXPECT_EQ(store.DescriptionDataSet()->text(0, PROJECT_DESC), QStringLiteral("Проект"));
}

TEST_F(StoreFixture, CancelAndDeleteAllRestoreEverything) {
    const QString p = openNewProject();
    for (uint32_t n = 1; n <= 3; ++n)
        store.AddResult(result(kMay1, n));
    store.SaveChanges();
    results().moveTo(1);
    results().setFieldValue(MSR_COMMENT, QByteArray("note"));
    store.PostEdits();
    store.AddResult(result(kApr30, 9));
    store.DeleteAllResults();
    EXPECT_TRUE(store.ResultsEmpty());
    EXPECT_TRUE(store.ProjectModified());
    store.CancelChanges();
    EXPECT_FALSE(store.ProjectModified());
    EXPECT_EQ(rows(), (std::vector<std::string>{"01.05.2024 10:00:00 #1", "01.05.2024 10:00:00 #2",
                                                "01.05.2024 10:00:00 #3"}));
    EXPECT_TRUE(results().isNull(1, MSR_COMMENT)) << "the unsaved comment is gone";

    // Delete all, then closing without saving leaves the file as it was.
    store.DeleteAllResults();
    store.CancelChanges();
    store.DeleteAllResults();
    reopen(p);
    EXPECT_EQ(results().recordCount(), 3);
    // With nothing pending, cancelling leaves a comment being typed alone.
    results().moveTo(2);
    results().setFieldValue(MSR_COMMENT, QByteArray("still typing"));
    store.CancelChanges();
    EXPECT_EQ(results().state(), DataSetState::Edit);
    EXPECT_EQ(results().comment(2), QByteArray("still typing"));
    EXPECT_TRUE(store.ProjectModified());
    results().cancel();

    store.DeleteAllResults();
    store.SaveChanges();
    reopen(p);
    EXPECT_TRUE(store.ResultsEmpty());
}

// Cancelling brings hidden rows back and drops added ones; the selection stays on the row the
// operator was on wherever it survives.
TEST_F(StoreFixture, CancelKeepsTheCurrentRow) {
    openNewProject();
    for (uint32_t n = 1; n <= 4; ++n)
        store.AddResult(result(kMay1, n));
    store.SaveChanges();
    const std::vector<std::tuple<const char*, std::function<void()>, const char*>> cases = {
        {"a deleted row comes back before the current one",
         [&] {
             results().moveTo(1);
             results().deleteCurrent(); // #3 is current now
         },
         "3"},
        {"an edited current row",
         [&] {
             results().moveTo(2);
             results().setFieldValue(MSR_COMMENT, QByteArray("x"));
             store.PostEdits();
             results().moveTo(0);
             results().deleteCurrent();
             results().moveTo(1);
         },
         "3"},
        {"an added row hands over to the row after it",
         [&] {
             store.AddResult(result(kApr30, 9));
             store.SortResults(); // the new row goes first and stays current
         },
         "1"},
        {"an added last row hands over to the last row", [&] { store.AddResult(result(kMay1, 9)); },
         "4"},
        {"after deleting every row the first row", [&] { store.DeleteAllResults(); }, "1"},
    };
    for (const auto& [name, change, expected] : cases) {
        results().moveTo(0);
        change();
        ASSERT_TRUE(store.ProjectModified()) << name;
        store.CancelChanges();
        EXPECT_EQ(results().recordCount(), 4) << name;
        ASSERT_GE(results().currentRow(), 0) << name;
        EXPECT_EQ(results().text(results().currentRow(), MSR_NUMBER).toStdString(), expected)
            << name;
    }
}

// Changes reach the row the file holds under the key last read, even when the key itself changed.
TEST_F(StoreFixture, ChangedRowsAreFoundByTheirOldKey) {
    const QString p = openNewProject();
    store.AddResult(result(kMay1, 1));
    store.AddResult(result(kMay1, 2));
    store.SaveChanges();
    results().moveTo(0);
    results().setFieldValue(MSR_RESULT_TABLE_PK, 500);
    results().setFieldValue(MSR_COMMENT, QByteArray("renumbered"));
    store.PostEdits();
    results().moveTo(1);
    results().setFieldValue(MSR_RESULT_TABLE_PK, 600);
    store.PostEdits();
    results().deleteCurrent(); // a modified row deleted: its old key goes to the file
    store.SaveChanges();
    reopen(p);
    ASSERT_EQ(results().recordCount(), 1);
    EXPECT_EQ(results().value(0, MSR_RESULT_TABLE_PK).toInt(), 500);
    EXPECT_EQ(results().comment(0), QByteArray("renumbered"));
}

TEST_F(StoreFixture, DeletedThenDownloadedAgainIsANewRow) {
    const QString p = openNewProject();
    store.AddResult(result(kMay1, 1, 5.0));
    store.SaveChanges();
    const int oldKey = results().value(0, MSR_RESULT_TABLE_PK).toInt();
    results().deleteCurrent();
    EXPECT_TRUE(store.AddResult(result(kMay1, 1, 6.0)));
    store.SaveChanges();
    reopen(p);
    ASSERT_EQ(results().recordCount(), 1);
    EXPECT_NE(results().value(0, MSR_RESULT_TABLE_PK).toInt(), oldKey);
    EXPECT_EQ(results().value(0, LOAD).toDouble(), 6.0);
}

TEST_F(StoreFixture, FailedSaveLeavesFileUnchangedAndEverythingPending) {
    const QString p = openNewProject();
    store.AddResult(result(kMay1, 1));
    store.SaveChanges();
    results().setFieldValue(MSR_COMMENT, QByteArray("edited"));
    store.PostEdits();
    store.AddResult(result(kMay1, 2)); // key k
    store.AddResult(result(kMay1, 3)); // key k+1
    const int clashing = results().value(2, MSR_RESULT_TABLE_PK).toInt();
    // Another writer took the key of the last row: its insert must fail.
    store.ExecSQL(QStringLiteral("INSERT INTO MSR_RESULT_TABLE (MSR_RESULT_TABLE_PK, MSR_NUMBER) "
                                 "VALUES (%1, 99)")
                      .arg(clashing));
    EXPECT_THROW(store.SaveChanges(), zor::Error);
    EXPECT_TRUE(store.ProjectModified());
    EXPECT_TRUE(store.ControlsEnabled()) << "the update bracket is closed on failure";
    EXPECT_EQ(results().rowStatus(0), RowStatus::Modified);
    EXPECT_EQ(results().rowStatus(1), RowStatus::Inserted);
    EXPECT_EQ(results().rowStatus(2), RowStatus::Inserted);
    // Remove the clash; the same pending changes then save completely.
    store.ExecSQL(QStringLiteral("DELETE FROM MSR_RESULT_TABLE WHERE MSR_NUMBER = 99"));
    store.CancelChanges();
    reopen(p);
    ASSERT_EQ(results().recordCount(), 1) << "nothing of the failed save reached the file";
    EXPECT_TRUE(results().isNull(0, MSR_COMMENT));
}

TEST_F(StoreFixture, UpdateBracketNestsAndRedrawsOnce) {
    openNewProject();
    QSignalSpy resets(&results(), &CachedDataset::dataReset);
    store.BeginUpdate();
    store.BeginUpdate();
    store.AddResult(result(kMay1, 1));
    store.EndUpdate();
    EXPECT_FALSE(store.ControlsEnabled());
    EXPECT_EQ(resets.count(), 0);
    store.EndUpdate();
    EXPECT_TRUE(store.ControlsEnabled());
    EXPECT_EQ(resets.count(), 1);
    store.EndUpdate(); // unmatched: changes nothing
    EXPECT_TRUE(store.ControlsEnabled());
    EXPECT_EQ(resets.count(), 1);
}

// The guard closes the bracket on every way out of its scope, an error included.
TEST_F(StoreFixture, UpdateGuardClosesTheBracketOnAnError) {
    openNewProject();
    QSignalSpy resets(&results(), &CachedDataset::dataReset);
    try {
        const UpdateGuard outer(store);
        {
            const UpdateGuard inner(store);
            store.AddResult(result(kMay1, 1));
        }
        EXPECT_FALSE(store.ControlsEnabled()) << "the outer bracket is still open";
        EXPECT_EQ(resets.count(), 0);
        throw zor::Error(QStringLiteral("failed half-way"));
    } catch (const zor::Error&) {
    }
    EXPECT_TRUE(store.ControlsEnabled());
    EXPECT_EQ(resets.count(), 1) << "the views redraw once, when the bracket closes";
}

// Saving and cancelling run inside the update bracket: views hear of the new state, the rows and
// the current row only when it closes, never half-way.
TEST_F(StoreFixture, ViewsHearNothingInsideTheBracket) {
    openNewProject();
    store.AddResult(result(kMay1, 1));
    store.AddResult(result(kMay1, 2));
    store.SaveChanges();
    const std::vector<std::pair<const char*, std::function<void()>>> operations = {
        {"save", [&] { store.SaveChanges(); }},
        {"cancel", [&] { store.CancelChanges(); }},
        {"bracket", [&] {
             store.BeginUpdate();
             store.PostEdits();
             store.EndUpdate();
         }}};
    uint32_t number = 10;
    for (const auto& [name, run] : operations) {
        ASSERT_TRUE(store.AddResult(result(kApr30, ++number))); // something pending
        results().moveTo(0);
        results().setFieldValue(MSR_COMMENT, QByteArray("typing"));
        ASSERT_EQ(results().state(), DataSetState::Edit);
        int heardInside = 0, states = 0;
        auto listen = [&](int& count) {
            return [&] {
                heardInside += store.ControlsEnabled() ? 0 : 1;
                ++count;
            };
        };
        int resets = 0, moves = 0;
        const auto c1 = QObject::connect(&results(), &CachedDataset::stateChanged, listen(states));
        const auto c2 = QObject::connect(&results(), &CachedDataset::dataReset, listen(resets));
        const auto c3 =
            QObject::connect(&results(), &CachedDataset::currentRowChanged, listen(moves));
        run();
        QObject::disconnect(c1);
        QObject::disconnect(c2);
        QObject::disconnect(c3);
        EXPECT_EQ(heardInside, 0) << name;
        EXPECT_EQ(states, 1) << name << ": the edit ended";
        EXPECT_EQ(resets, 1) << name;
        EXPECT_EQ(moves, 1) << name;
        EXPECT_EQ(results().state(), DataSetState::Browse) << name;
        store.CancelChanges();
    }
}

TEST_F(StoreFixture, LoadUnitRedrawsWithoutTouchingChanges) {
    QLocale::setDefault(QLocale::c());
    openNewProject();
    store.AddResult(result(kMay1, 1, 12.345));
    store.AddResult(result(kMay1, 2, 1.0));
    results().moveTo(0);
    results().setFieldValue(MSR_COMMENT, QByteArray("typing"));
    QSignalSpy resets(&results(), &CachedDataset::dataReset);
    store.SetLoadUnit(1);
    EXPECT_EQ(resets.count(), 1);
    EXPECT_EQ(results().text(0, LOAD), QStringLiteral("121.06 "));
    EXPECT_EQ(results().currentRow(), 0);
    EXPECT_EQ(results().state(), DataSetState::Edit);
    EXPECT_TRUE(store.ProjectModified());
    store.SetLoadUnit(1);
    EXPECT_EQ(resets.count(), 1) << "the same unit changes nothing";
}

TEST_F(StoreFixture, CyrillicObjectNameIsStoredInLatinAndSaveWorks) {
    const QString p = openNewProject();
    // "Балка №1" in the instrument's 8-bit text
    store.AddResult(result(kMay1, 1, 1.0, QByteArray("\xC1\xE0\xEB\xEA\xE0 \xB9\x31")));
    EXPECT_EQ(results().text(0, OBJECT_NAME), QStringLiteral("Balka No1"));
    store.SaveChanges();
    reopen(p);
    EXPECT_EQ(results().text(0, OBJECT_NAME), QStringLiteral("Balka No1"));
}

TEST_F(StoreFixture, SavedRowsSurviveAKilledProcess) {
    const QString p = newProject();
    QProcess child;
    child.start(QString::fromLocal8Bit(qgetenv("ZOR_TEST_BIN_DIR").isEmpty()
                                           ? QByteArray(TEST_BIN_DIR)
                                           : qgetenv("ZOR_TEST_BIN_DIR")) +
                    "/store_save_then_hang",
                {p});
    ASSERT_TRUE(child.waitForStarted());
    ASSERT_TRUE(child.waitForReadyRead(30000));
    EXPECT_EQ(child.readLine().trimmed(), QByteArray("saved"));
    ::kill(static_cast<pid_t>(child.processId()), SIGKILL);
    child.waitForFinished();
    ASSERT_TRUE(store.OpenProjectDatabase(p)) << store.lastFailureReason().toStdString();
    EXPECT_EQ(results().recordCount(), 2);
}

// The duplicate test keeps no walk over all rows; its answers and the current row it leaves
// must still be those of the walk, whatever happened to the rows before.
TEST_F(StoreFixture, DuplicateTestAgreesWithAWalkOverTheRows) {
    openNewProject();
    auto walk = [&](const TMsrResult& r, int& current) {
        for (int i = 0; i < results().recordCount(); ++i) {
            const double d =
                results().isNull(i, MSR_DATE) ? 0 : results().value(i, MSR_DATE).toDouble();
            const int32_t n = results().value(i, MSR_NUMBER).toInt();
            if (d == r.MsrDateTime &&
                static_cast<int64_t>(n) == static_cast<int64_t>(r.MsrNumber)) {
                current = i;
                return true;
            }
        }
        current = results().recordCount() - 1;
        return false;
    };
    std::srand(7);
    auto random = [] { return result(kApr30 + (std::rand() % 6) / 86400.0, std::rand() % 4); };
    for (int step = 0; step < 400; ++step) {
        const int action = std::rand() % 10;
        if (action < 5) {
            const TMsrResult r = random();
            int expectedCurrent = -1;
            const bool expected = walk(r, expectedCurrent);
            ASSERT_EQ(store.AddResult(r), !expected) << "step " << step;
            if (expected) {
                ASSERT_EQ(results().currentRow(), expectedCurrent) << "step " << step;
            }
        } else if (action < 7) {
            const TMsrResult r = random();
            int expectedCurrent = -1;
            const bool expected = walk(r, expectedCurrent);
            ASSERT_EQ(store.ResultExists(r), expected) << "step " << step;
            ASSERT_EQ(results().currentRow(), expectedCurrent) << "step " << step;
        } else if (action == 7 && results().recordCount() > 0) {
            results().moveTo(std::rand() % results().recordCount());
            results().deleteCurrent();
        } else if (action == 8) {
            store.SortResults();
        } else if (std::rand() % 4 == 0) {
            std::rand() % 2 ? store.SaveChanges() : store.CancelChanges();
        }
    }
}
