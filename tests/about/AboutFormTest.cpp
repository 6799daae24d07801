#include "about/AboutUnit.h"
#include "about/LinkLabel.h"

#include <QApplication>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QTimer>
#include <gtest/gtest.h>

using namespace about;

namespace {

class AboutForm : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        static int argc = 1;
        static char name[] = "about_tests";
        static char* argv[] = {name, nullptr};
        if (!QApplication::instance())
            new QApplication(argc, argv);
    }
    void SetUp() override {
        setLinkHook([this](const QString& link) { opened.push_back(link); });
    }
    void TearDown() override { setLinkHook({}); }

    static QString text(const TAboutForm& form, const char* label) {
        return form.findChild<QLabel*>(label)->text();
    }
    void clickBothLinks(TAboutForm& form) {
        emit form.findChild<LinkLabel*>("CompanyEMailLabel")->clicked();
        emit form.findChild<LinkLabel*>("CompanyWebLabel")->clicked();
    }

    QStringList opened;
};

} // namespace

TEST_F(AboutForm, ShowsTheProgramsOwnResource) {
    TAboutForm form(nullptr);
    form.LoadVersionInfo(QCoreApplication::applicationFilePath());
    EXPECT_EQ(text(form, "ProductNameLabel"), QStringLiteral("ЗОР-1.0"));
    EXPECT_EQ(text(form, "FileVersionLabel"), QStringLiteral("Версия " ZOR_VERSION ","));
    EXPECT_TRUE(text(form, "CompanyPhoneLabel").startsWith(QStringLiteral("тел. ")));
    const QString email = text(form, "CompanyEMailLabel");
    ASSERT_TRUE(email.startsWith("e-mail: "));
    const QString web = text(form, "CompanyWebLabel");
    ASSERT_TRUE(web.startsWith("http://"));
    clickBothLinks(form);
    // The mail link holds only the address; the web link is the label's own text.
    EXPECT_EQ(opened, QStringList({"mailto:" + email.mid(8), web}));
}

TEST_F(AboutForm, MissingKeysLeaveTheirLabelsAndLinksAlone) {
    TAboutForm form(nullptr);
    form.LoadVersionInfo(PROBE_PARTIAL);
    EXPECT_EQ(text(form, "ProductNameLabel"), QStringLiteral("Проба"));
    EXPECT_EQ(text(form, "FileVersionLabel"),
              QStringLiteral("Версия 10.20.30.40-очень-длинная-сборка,"));
    EXPECT_EQ(text(form, "CompanyNameLabel"), QStringLiteral("Проба и компания"));
    EXPECT_EQ(text(form, "CompanyEMailLabel"), "e-mail: probe@example.org");
    EXPECT_EQ(text(form, "YearLabel"), "YearLabel"); // only in the foreign table
    EXPECT_EQ(text(form, "CompanyPhoneLabel"), "CompanyPhoneLabel");
    EXPECT_EQ(text(form, "CompanyWebLabel"), "CompanyWebLabel");
    clickBothLinks(form);
    EXPECT_EQ(opened, QStringList{"mailto:probe@example.org"});

    // Fixed places: the year stays at 104 over a long version; long texts wrap in 249 x 25.
    const QLabel* year = form.findChild<QLabel*>("YearLabel");
    EXPECT_EQ(year->pos(), QPoint(104, 64));
    const QLabel* comments = form.findChild<QLabel*>("CommentsLabel");
    EXPECT_EQ(comments->geometry(), QRect(16, 32, 249, 25));
    EXPECT_TRUE(comments->wordWrap());
}

TEST_F(AboutForm, NoResourceKeepsEveryLabelNameAndInertLinks) {
    for (const QString& path : {QString(PROBE_PLAIN), QString("/no/such/zor")}) {
        TAboutForm form(nullptr);
        form.LoadVersionInfo(path);
        for (const char* label :
             {"ProductNameLabel", "CommentsLabel", "FileVersionLabel", "YearLabel",
              "CompanyNameLabel", "CompanyPhoneLabel", "CompanyEMailLabel", "CompanyWebLabel"})
            EXPECT_EQ(text(form, label), label) << path.toStdString();
        clickBothLinks(form);
        EXPECT_TRUE(opened.isEmpty());
    }
}

TEST_F(AboutForm, EscClosesWithOk) {
    TAboutForm form(nullptr);
    EXPECT_EQ(form.windowTitle(), QStringLiteral("О программе"));
    EXPECT_EQ(form.size(), QSize(274, 197));
    QTimer::singleShot(0, &form, [&form] {
        QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(&form, &esc);
    });
    EXPECT_EQ(form.exec(), QDialog::Accepted);
}
