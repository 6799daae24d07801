#include "screenshot/ScreenPicture.h"

#include "platform/Error.h"
#include "screenshot/Colors.h"

#include <QBuffer>
#include <QImageWriter>
#include <QSaveFile>

namespace screenshot {

PixelMatrix::PixelMatrix() {
    ClearPicture();
}

void PixelMatrix::ClearPicture() {
    m_cells.fill(0);
    for (int x = 0; x < kMatrixWidth; ++x) {
        setCell(x, 0, true);
        setCell(x, kMatrixHeight - 1, true);
    }
    for (int y = 0; y < kMatrixHeight; ++y) {
        setCell(0, y, true);
        setCell(kMatrixWidth - 1, y, true);
    }
}

void PixelMatrix::decode(const uint8_t* screen) {
    for (int k = 0; k < kScreenBytes; ++k) {
        const int x = k % 128;
        const int band = k / 128;
        for (int b = 0; b < 8; ++b)
            setCell(x + kPictureOffset, 8 * band + b + kPictureOffset, (screen[k] >> b) & 1);
    }
}

QImage paintPicture(const PixelMatrix& matrix, uint32_t inkColor, uint32_t backgroundColor) {
    QImage image(kMatrixWidth, kMatrixHeight, QImage::Format_RGB32);
    const QRgb ink = toQColor(inkColor).rgb();
    const QRgb background = toQColor(backgroundColor).rgb();
    for (int x = 0; x < kMatrixWidth; ++x)
        for (int y = 0; y < kMatrixHeight; ++y)
            image.setPixel(x, y, matrix.cell(x, y) ? ink : background);
    return image;
}

void saveBitmap(const QImage& image, const QString& fileName) {
    // Encode first, then replace the file in one step: a failed write leaves the old file whole.
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "BMP");
    if (!writer.write(image.convertToFormat(QImage::Format_RGB888)))
        throw zor::Error(QStringLiteral("Не удалось записать файл \"%1\": %2")
                             .arg(fileName, writer.errorString()));
    QSaveFile file(fileName);
    file.setDirectWriteFallback(true);
    // Unbuffered: a write cut short by a full disk must fail here, not in commit()'s flush.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered) ||
        file.write(bytes) != bytes.size() || !file.commit())
        throw zor::Error(QStringLiteral("Не удалось записать файл \"%1\": %2")
                             .arg(fileName, file.errorString()));
}

} // namespace screenshot
