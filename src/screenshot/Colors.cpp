#include "screenshot/Colors.h"

namespace screenshot {

QColor toQColor(uint32_t bgr) {
    return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF);
}

uint32_t fromQColor(const QColor& color) {
    return uint32_t(color.red()) | uint32_t(color.green()) << 8 | uint32_t(color.blue()) << 16;
}

const std::array<uint32_t, 16>& standardColors() {
    static const std::array<uint32_t, 16> colors = {
        0x000000, // black
        0x000080, // maroon
        0x008000, // green
        0x008080, // olive
        0x800000, // navy
        0x800080, // purple
        0x808000, // teal
        0x808080, // grey
        0xC0C0C0, // silver
        0x0000FF, // red
        0x00FF00, // lime
        0x00FFFF, // yellow
        0xFF0000, // blue
        0xFF00FF, // fuchsia
        0xFFFF00, // aqua
        0xFFFFFF, // white
    };
    return colors;
}

} // namespace screenshot
