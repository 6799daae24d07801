#pragma once
#include <QColor>
#include <array>
#include <cstdint>

// Colours as the settings file keeps them: 0x00BBGGRR, red in the low byte.
namespace screenshot {

QColor toQColor(uint32_t bgr);
uint32_t fromQColor(const QColor& color);

// The 16 standard colours the choosers offer, in their order (black ... white).
const std::array<uint32_t, 16>& standardColors();

} // namespace screenshot
