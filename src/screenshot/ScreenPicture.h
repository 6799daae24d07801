#pragma once
#include "device/Protocol.h"

#include <QImage>
#include <QString>
#include <array>
#include <cstdint>

// The instrument's 128 x 64 display picture, framed into a 132 x 68 matrix of ink/background
// cells, and the bitmap painted from it. Widget-free: the dialog and zor-tool share it.
namespace screenshot {

constexpr int kPictureOffset = 2; // frame cell + blank ring before the picture's pixel (0, 0)
constexpr int kMatrixWidth = device::kScreenWidth + 2 * kPictureOffset;   // 132
constexpr int kMatrixHeight = device::kScreenHeight + 2 * kPictureOffset; // 68
// The reply to CMD_GET_SCREEN: 8 bands of 128 columns.
constexpr int kScreenBytes = static_cast<int>(device::kScreenPictureSize);

class PixelMatrix {
public:
    PixelMatrix(); // cleared and framed, as ClearPicture leaves it

    // Every cell 0, then the frame: rows 0 and 67, columns 0 and 131 set to 1.
    void ClearPicture();
    // Lays the 1024-byte picture into columns 2..129, rows 2..65 (bit 0 = top of each band).
    // Frame and ring cells are left as they are.
    void decode(const uint8_t* screen);

    bool cell(int x, int y) const { return m_cells[index(x, y)] != 0; }
    void setCell(int x, int y, bool set) { m_cells[index(x, y)] = set ? 1 : 0; }

private:
    static int index(int x, int y) { return x * kMatrixHeight + y; }
    std::array<uint8_t, kMatrixWidth * kMatrixHeight> m_cells{};
};

// Paints the matrix pixel for pixel: set cells in ink, clear cells in background.
// Colours are 0x00BBGGRR.
QImage paintPicture(const PixelMatrix& matrix, uint32_t inkColor, uint32_t backgroundColor);

// Writes the bitmap as a BMP file (24 bits per pixel, colours exact), replacing any file of
// that name. Throws zor::Error with the reason when the file cannot be written.
void saveBitmap(const QImage& image, const QString& fileName);

} // namespace screenshot
