#include "platform/Error.h"
#include "platform/ExeFolder.h"
#include "screenshot/ColorComboBox.h"
#include "screenshot/DeviceScreenShotUnit.h"
#include "screenshot/Messages.h"
#include "screenshot/ScreenShotAction.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

using namespace screenshot;

namespace {

struct Message {
    QString caption;
    QString text;
};

class ScreenShotForm : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        static int argc = 1;
        static char name[] = "screenshot_tests";
        static char* argv[] = {name, nullptr};
        if (!QApplication::instance())
            new QApplication(argc, argv);
    }
    void SetUp() override {
        setMessageHook([this](const QString& caption, const QString& text) {
            messages.push_back({caption, text});
        });
        QApplication::clipboard()->clear();
    }
    void TearDown() override { setMessageHook({}); }

    // A reader that answers with `screen`, or fails with `status` when it is not 0.
    ScreenReader reader() {
        return [this](uint8_t* reply) {
            if (status != 0)
                return status;
            std::copy(screen.begin(), screen.end(), reply);
            return device::Status(0);
        };
    }
    static QImage clipboardImage() {
        return QApplication::clipboard()->image().convertToFormat(QImage::Format_RGB32);
    }
    static QImage fileImage(const QString& path) {
        return QImage(path, "BMP").convertToFormat(QImage::Format_RGB32);
    }
    static QImage expected(const std::array<uint8_t, kScreenBytes>& picture, uint32_t ink,
                           uint32_t background) {
        PixelMatrix matrix;
        matrix.decode(picture.data());
        return paintPicture(matrix, ink, background);
    }
    static void choose(TDeviceScreenShotForm& form, const char* chooser, int index) {
        auto* combo = form.findChild<ColorComboBox*>(chooser);
        combo->setCurrentIndex(index);
        emit combo->activated(index);
    }

    std::array<uint8_t, kScreenBytes> screen{};
    device::Status status = 0;
    std::vector<Message> messages;
    QTemporaryDir dir;
};

} // namespace

TEST_F(ScreenShotForm, StoredColoursReachOnlyTheClipboardBeforeAFileNameIsSet) {
    TDeviceScreenShotForm form(nullptr, reader());
    form.setInkColor(0x0000FF);        // red
    form.setBackgroundColor(0xFFFF00); // aqua
    const std::array<uint8_t, kScreenBytes> empty{};
    EXPECT_EQ(clipboardImage(), expected(empty, 0x0000FF, 0xFFFF00));
    EXPECT_EQ(form.findChild<ColorComboBox*>("InkColorComboBox")->currentIndex(), 9);
    EXPECT_EQ(form.findChild<ColorComboBox*>("BackgroundColorComboBox")->currentIndex(), 14);
    EXPECT_TRUE(QDir(dir.path()).isEmpty());
}

TEST_F(ScreenShotForm, ReadPictureIsShownWrittenAndCopied) {
    TDeviceScreenShotForm form(nullptr, reader());
    const QString path = dir.filePath("sceenshot.bmp");
    form.setFileName(path);
    screen[0] = 0x01;
    screen[1023] = 0x80;
    form.findChild<QPushButton*>("GetPictureButton")->click();

    const QImage want = expected(screen, 0x000000, 0xFFFFFF);
    EXPECT_EQ(fileImage(path), want);
    EXPECT_EQ(clipboardImage(), want);
    EXPECT_EQ(form.findChild<QLabel*>("DeviceScreenShotImage")->pixmap().toImage(), want);
    EXPECT_TRUE(messages.empty());

    // A new colour redraws the same picture into the file and the clipboard.
    choose(form, "InkColorComboBox", 12); // blue
    EXPECT_EQ(form.InkColor(), 0xFF0000u);
    const QImage blue = expected(screen, 0xFF0000, 0xFFFFFF);
    EXPECT_EQ(fileImage(path), blue);
    EXPECT_EQ(clipboardImage(), blue);
}

TEST_F(ScreenShotForm, FailedReadWritesTheEmptyFrameAndSaysSoWithEmptyCaption) {
    TDeviceScreenShotForm form(nullptr, reader());
    const QString path = dir.filePath("sceenshot.bmp");
    form.setFileName(path);
    screen.fill(0xFF);
    form.GetPictureButtonClick(); // a full picture first, so the failure visibly empties it

    status = 0x40000004;
    form.GetPictureButtonClick();
    const QImage empty = expected({}, 0x000000, 0xFFFFFF);
    EXPECT_EQ(fileImage(path), empty);
    EXPECT_EQ(clipboardImage(), empty);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].caption, QString());
    EXPECT_EQ(messages[0].text, QStringLiteral("Ошибка связи с прибором!"));
}

TEST_F(ScreenShotForm, UnwritableFileRaisesBeforeClipboardAndMessage) {
    TDeviceScreenShotForm form(nullptr, reader());
    form.setFileName(dir.filePath("no-such-folder/sceenshot.bmp"));
    screen[0] = 0x01;
    status = 0x40000007;
    EXPECT_THROW(form.GetPictureButtonClick(), zor::Error);
    EXPECT_TRUE(messages.empty());
    EXPECT_TRUE(QApplication::clipboard()->image().isNull());
    // The picture on screen is already the redrawn empty frame.
    EXPECT_EQ(form.findChild<QLabel*>("DeviceScreenShotImage")->pixmap().toImage(),
              expected({}, 0x000000, 0xFFFFFF));
}

TEST_F(ScreenShotForm, ActionHandsBackColoursChosenBeforeEsc) {
    const QString beside = platform::executableFolder() + "sceenshot.bmp";
    QFile::remove(beside);
    uint32_t ink = 0x808080;        // grey
    uint32_t background = 0x123456; // not one of the swatches: kept as it is
    QTimer::singleShot(0, [this] {
        auto* form = qobject_cast<TDeviceScreenShotForm*>(QApplication::activeModalWidget());
        ASSERT_NE(form, nullptr);
        EXPECT_EQ(form->windowTitle(), QStringLiteral("Картинка с экрана прибора"));
        EXPECT_EQ(form->findChild<ColorComboBox*>("BackgroundColorComboBox")->currentIndex(), -1);
        choose(*form, "InkColorComboBox", 4); // navy
        QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(form, &esc);
    });
    ScreenShotActionExecute(nullptr, ink, background);
    EXPECT_EQ(ink, 0x800000u);
    EXPECT_EQ(background, 0x123456u);
    // The colour change came after the file name was set: the file beside the program exists.
    EXPECT_EQ(fileImage(beside), expected({}, 0x800000, 0x123456));
    QFile::remove(beside);
}

// Enter presses the button that has the focus, as in any dialog: on "Прочитать картинку" it
// reads; anywhere else it presses Close.
TEST_F(ScreenShotForm, EnterPressesTheFocusedButtonElseClose) {
    int reads = 0;
    TDeviceScreenShotForm form(nullptr, [&reads](uint8_t*) {
        ++reads;
        return device::Status(0);
    });
    form.show();
    const auto enter = [](QWidget* target) {
        QKeyEvent key(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        QApplication::sendEvent(target, &key);
    };
    enter(form.findChild<QPushButton*>("GetPictureButton"));
    EXPECT_EQ(reads, 1);
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(form.result(), 0);

    enter(form.findChild<ColorComboBox*>("InkColorComboBox"));
    EXPECT_EQ(reads, 1);
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(form.result(), int(QDialog::Accepted));
}
