#include "screenshot/DeviceScreenShotUnit.h"

#include "screenshot/ColorComboBox.h"
#include "screenshot/Messages.h"
#include "ui/FormFont.h"

#include <QApplication>
#include <QClipboard>
#include <QFrame>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <array>

namespace screenshot {

namespace {
// Fixed layout in pixels.
constexpr int kMargin = 8;
constexpr int kPanelWidth = 300;
constexpr int kPanelHeight = 92;
constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 25;
constexpr int kChooserLeft = 184;
constexpr int kChooserWidth = 108;
} // namespace

TDeviceScreenShotForm::TDeviceScreenShotForm(QWidget* owner, ScreenReader reader)
    : QDialog(owner, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      m_reader(std::move(reader)) {
    setObjectName(QStringLiteral("DeviceScreenShotForm"));
    setWindowTitle(QStringLiteral("Картинка с экрана прибора"));
    setFont(ui::formFont(this));
    buildLayout();
    setFixedSize(2 * kMargin + kPanelWidth, 3 * kMargin + kPanelHeight + kButtonHeight);
}

void TDeviceScreenShotForm::buildLayout() {
    auto* panel = new QFrame(this);
    panel->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    panel->setGeometry(kMargin, kMargin, kPanelWidth, kPanelHeight);

    m_image = new QLabel(panel);
    m_image->setObjectName(QStringLiteral("DeviceScreenShotImage"));
    m_image->setGeometry(kMargin, (kPanelHeight - kMatrixHeight) / 2, kMatrixWidth, kMatrixHeight);

    auto* inkLabel = new QLabel(QStringLiteral("Перо"), panel);
    inkLabel->setGeometry(152, 12, 30, 16);
    m_inkCombo = new ColorComboBox(panel);
    m_inkCombo->setObjectName(QStringLiteral("InkColorComboBox"));
    m_inkCombo->setGeometry(kChooserLeft, 8, kChooserWidth, 22);

    auto* backgroundLabel = new QLabel(QStringLiteral("Фон"), panel);
    backgroundLabel->setGeometry(152, 38, 30, 16);
    m_backgroundCombo = new ColorComboBox(panel);
    m_backgroundCombo->setObjectName(QStringLiteral("BackgroundColorComboBox"));
    m_backgroundCombo->setGeometry(kChooserLeft, 34, kChooserWidth, 22);

    // Like every push button of a dialog, it takes Enter while it has the focus; elsewhere
    // Enter goes to the Close button.
    auto* getPicture = new QPushButton(QStringLiteral("Прочитать картинку"), panel);
    getPicture->setObjectName(QStringLiteral("GetPictureButton"));
    getPicture->setGeometry(152, 60, kChooserLeft + kChooserWidth - 152, kButtonHeight);

    auto* close = new QPushButton(QStringLiteral("Закрыть"), this);
    close->setObjectName(QStringLiteral("CloseButton"));
    close->setDefault(true);
    close->setGeometry(kMargin + kPanelWidth - kButtonWidth, 2 * kMargin + kPanelHeight,
                       kButtonWidth, kButtonHeight);

    m_inkCombo->selectColor(m_inkColor);
    m_backgroundCombo->selectColor(m_backgroundColor);
    connect(getPicture, &QPushButton::clicked, this, [this] { GetPictureButtonClick(); });
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_inkCombo, &QComboBox::activated, this, [this] { InkColorComboBoxChange(); });
    connect(m_backgroundCombo, &QComboBox::activated, this,
            [this] { BackgroundColorComboBoxChange(); });
}

void TDeviceScreenShotForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (const QScreen* desktop = screen()) // centred on the desktop, not on the owner
        move(desktop->availableGeometry().center() - rect().center());
}

void TDeviceScreenShotForm::setInkColor(uint32_t color) {
    m_inkColor = color;
    m_inkCombo->selectColor(color);
    DrawPicture();
}

void TDeviceScreenShotForm::setBackgroundColor(uint32_t color) {
    m_backgroundColor = color;
    m_backgroundCombo->selectColor(color);
    DrawPicture();
}

void TDeviceScreenShotForm::DrawPicture() {
    m_bitmap = paintPicture(m_pixelMatrix, m_inkColor, m_backgroundColor);
    m_image->setPixmap(QPixmap::fromImage(m_bitmap));
    // A file that cannot be written raises here, before the clipboard, for the general handler.
    if (!m_fileName.isEmpty())
        saveBitmap(m_bitmap, m_fileName);
    QApplication::clipboard()->setImage(m_bitmap);
}

void TDeviceScreenShotForm::GetPictureButtonClick() {
    std::array<uint8_t, kScreenBytes> screen{};
    QApplication::setOverrideCursor(Qt::WaitCursor); // a read may take a few seconds
    const device::Status status = m_reader(screen.data());
    QApplication::restoreOverrideCursor();
    if (status != 0) {
        ClearPicture();
        DrawPicture();
        showErrorMessage(this, QString(), QStringLiteral("Ошибка связи с прибором!"));
        return;
    }
    m_pixelMatrix.decode(screen.data());
    DrawPicture();
}

void TDeviceScreenShotForm::InkColorComboBoxChange() {
    m_inkColor = m_inkCombo->selectedColor(m_inkColor);
    DrawPicture();
}

void TDeviceScreenShotForm::BackgroundColorComboBoxChange() {
    m_backgroundColor = m_backgroundCombo->selectedColor(m_backgroundColor);
    DrawPicture();
}

} // namespace screenshot
