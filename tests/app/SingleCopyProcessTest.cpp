#include "ProgramCopies.h"

using test::Copies;

TEST(SingleCopy, ASecondCopyIsRefusedWhileAnyCopyHoldsTheGuard) {
    Copies copies;
    QProcess& first = copies.start("first");
    ASSERT_TRUE(copies.startedNormally("first"));

    QProcess& second = copies.start("second");
    EXPECT_FALSE(copies.startedNormally("second", 2000));
    EXPECT_EQ(second.state(), QProcess::Running) << "the refusal waits for the operator";
    EXPECT_EQ(first.state(), QProcess::Running);
    EXPECT_FALSE(QFile::exists(copies.folder("second") + "/zor.ini"));

    // The refused copy still holds the guard while its message is up.
    first.kill();
    first.waitForFinished(5000);
    copies.start("third");
    EXPECT_FALSE(copies.startedNormally("third", 2000));

    second.kill();
    second.waitForFinished(5000);
}

TEST(SingleCopy, ACopyStartedAfterTheOthersHaveEndedStartsNormally) {
    Copies copies;
    QProcess& first = copies.start("first");
    ASSERT_TRUE(copies.startedNormally("first"));
    first.kill();
    first.waitForFinished(5000);
    copies.start("again");
    EXPECT_TRUE(copies.startedNormally("again"));
}
