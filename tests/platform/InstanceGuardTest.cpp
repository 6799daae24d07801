#include "platform/InstanceGuard.h"
#include "ProbeProcess.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <memory>
#include <sys/stat.h>

namespace {

class InstanceGuardTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        qputenv("ZOR_RUNTIME_DIR", QFile::encodeName(m_dir.path()));
    }
    void TearDown() override { qunsetenv("ZOR_RUNTIME_DIR"); }

    // Starts a copy and returns it with the answer it printed.
    static std::unique_ptr<ProbeProcess> start(std::string& answer, const std::string& name = {}) {
        std::vector<std::string> argv{GUARD_PROBE_PATH};
        if (!name.empty())
            argv.push_back(name);
        auto p = std::make_unique<ProbeProcess>(argv);
        answer = p->readLine();
        return p;
    }

    QTemporaryDir m_dir;
};

TEST_F(InstanceGuardTest, SecondCopyIsRefusedWhileTheFirstRuns) {
    std::string a, b;
    auto first = start(a);
    auto second = start(b);
    EXPECT_EQ(a, "FIRST");
    EXPECT_EQ(b, "REFUSED");
    EXPECT_EQ(second->finish(), 0);
    EXPECT_EQ(first->finish(), 0);
}

TEST_F(InstanceGuardTest, RefusedCopyStillHoldingKeepsTheEventUnsignalled) {
    std::string a, b, c, d;
    auto first = start(a);
    auto second = start(b);
    first->finish();
    auto third = start(c);
    EXPECT_EQ(a, "FIRST");
    EXPECT_EQ(b, "REFUSED");
    EXPECT_EQ(c, "REFUSED") << "the refused copy still holds the event";
    second->finish();
    third->finish();
    auto fourth = start(d);
    EXPECT_EQ(d, "FIRST") << "every holder has gone";
}

TEST_F(InstanceGuardTest, CopyAfterTheFirstEndedOrWasKilledRunsAlone) {
    std::string a, b, c;
    start(a)->finish();
    auto crashed = start(b);
    crashed->kill();
    auto next = start(c);
    EXPECT_EQ(a, "FIRST");
    EXPECT_EQ(b, "FIRST");
    EXPECT_EQ(c, "FIRST");
}

TEST_F(InstanceGuardTest, ExactlyOneOfManySimultaneousCopiesRuns) {
    std::vector<std::unique_ptr<ProbeProcess>> copies;
    for (int i = 0; i < 8; ++i)
        copies.push_back(
            std::make_unique<ProbeProcess>(std::vector<std::string>{GUARD_PROBE_PATH}));
    int firsts = 0, refused = 0;
    for (auto& p : copies) {
        const std::string answer = p->readLine();
        firsts += answer == "FIRST";
        refused += answer == "REFUSED";
    }
    EXPECT_EQ(firsts, 1);
    EXPECT_EQ(refused, 7);
}

TEST_F(InstanceGuardTest, DifferentNamesAreDifferentEvents) {
    std::string a, b;
    auto one = start(a, "ONE");
    auto two = start(b, "TWO");
    EXPECT_EQ(a, "FIRST");
    EXPECT_EQ(b, "FIRST");
}

TEST_F(InstanceGuardTest, UnusableFolderRefusesWithAReason) {
    qputenv("ZOR_RUNTIME_DIR", QFile::encodeName(m_dir.filePath("missing")));
    platform::InstanceGuard guard;
    EXPECT_EQ(guard.acquire(), platform::InstanceGuard::Result::AlreadyRunning);
    EXPECT_TRUE(guard.errorString().contains(m_dir.filePath("missing")));
}

TEST_F(InstanceGuardTest, RuntimeFolderIsPrivateToTheUser) {
    qunsetenv("ZOR_RUNTIME_DIR");
    const QByteArray oldXdg = qgetenv("XDG_RUNTIME_DIR");
    const QByteArray own = QFile::encodeName(m_dir.filePath("own"));
    const QByteArray open = QFile::encodeName(m_dir.filePath("open"));
    ASSERT_EQ(::mkdir(own.constData(), 0700), 0);
    ASSERT_EQ(::mkdir(open.constData(), 0700), 0);
    ASSERT_EQ(::chmod(open.constData(), 0777), 0);

    qputenv("XDG_RUNTIME_DIR", own);
    EXPECT_EQ(platform::InstanceGuard::runtimeFolder(), QFile::decodeName(own));

    qputenv("XDG_RUNTIME_DIR", open);
    const QString fallback = platform::InstanceGuard::runtimeFolder();
    EXPECT_EQ(fallback, QStringLiteral("/tmp/zor-%1").arg(::geteuid()));
    struct stat st {};
    ASSERT_EQ(::lstat(QFile::encodeName(fallback).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    EXPECT_EQ(st.st_uid, ::geteuid());

    if (oldXdg.isNull())
        qunsetenv("XDG_RUNTIME_DIR");
    else
        qputenv("XDG_RUNTIME_DIR", oldXdg);
}

} // namespace
