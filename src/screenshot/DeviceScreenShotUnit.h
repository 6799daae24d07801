#pragma once
#include "screenshot/ScreenPicture.h"
#include "screenshot/ScreenReader.h"

#include <QDialog>
#include <QImage>
#include <QString>
#include <cstdint>

class QLabel;
class QPushButton;

namespace screenshot {

class ColorComboBox;

// The dialog that reads the instrument's display picture and shows it framed in two colours.
// Every redraw also writes the bitmap file (when a name is set) and fills the clipboard.
class TDeviceScreenShotForm : public QDialog {
    Q_OBJECT
public:
    explicit TDeviceScreenShotForm(QWidget* owner, ScreenReader reader = readDeviceScreen);

    uint32_t InkColor() const { return m_inkColor; }
    void setInkColor(uint32_t color);
    uint32_t BackgroundColor() const { return m_backgroundColor; }
    void setBackgroundColor(uint32_t color);
    void setFileName(const QString& fileName) { m_fileName = fileName; }

    void ClearPicture() { m_pixelMatrix.ClearPicture(); }
    void DrawPicture();
    const PixelMatrix& pixelMatrix() const { return m_pixelMatrix; }

    void GetPictureButtonClick();

    // Esc ends the dialog as the Close button does, with OK.
    void reject() override { accept(); }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void buildLayout();
    void InkColorComboBoxChange();
    void BackgroundColorComboBoxChange();

    ScreenReader m_reader;
    PixelMatrix m_pixelMatrix;
    uint32_t m_inkColor = 0x000000;
    uint32_t m_backgroundColor = 0xFFFFFF;
    QString m_fileName;
    QImage m_bitmap;

    QLabel* m_image = nullptr;
    ColorComboBox* m_inkCombo = nullptr;
    ColorComboBox* m_backgroundCombo = nullptr;
};

} // namespace screenshot
