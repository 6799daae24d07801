#pragma once
#include <cstdint>

class QWidget;

namespace screenshot {

// The main window's "Снимок экрана" command: shows the screen capture dialog modally with the
// stored colours (0x00BBGGRR) and hands back the colours it holds when it closes.
void ScreenShotActionExecute(QWidget* owner, uint32_t& inkColor, uint32_t& backgroundColor);

} // namespace screenshot
