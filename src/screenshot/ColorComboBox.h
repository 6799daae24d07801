#pragma once
#include <QComboBox>
#include <cstdint>

namespace screenshot {

// A drop-down of the 16 standard colour swatches, without names. Colours are 0x00BBGGRR.
// `activated` reports a choice by the user; selecting from code emits nothing of ours.
class ColorComboBox : public QComboBox {
    Q_OBJECT
public:
    explicit ColorComboBox(QWidget* parent = nullptr);

    // Selects the swatch of that colour; a colour not offered leaves no swatch selected.
    void selectColor(uint32_t color);
    // The colour of the selected swatch, or `fallback` when none is selected.
    uint32_t selectedColor(uint32_t fallback) const;
};

} // namespace screenshot
