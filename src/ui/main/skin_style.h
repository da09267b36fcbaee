#pragma once
// The look of the main window: its colours and its font. Its layout is in pixels.

#include <QColor>
#include <QFont>
#include <QRect>
#include <cstdint>

namespace vesk::ui {

// Colours as the window's design stores them: blue in the high byte, red in the low byte.
constexpr QColor colorFromBgr(std::uint32_t bgr) {
    return QColor(static_cast<int>(bgr & 0xFF), static_cast<int>((bgr >> 8) & 0xFF),
                  static_cast<int>((bgr >> 16) & 0xFF));
}

inline constexpr std::uint32_t kBackColor = 4202528;
inline constexpr std::uint32_t kDeviceInUseColor = 0;
inline constexpr std::uint32_t kDeviceIdleColor = 11701318;

// The skin's own shades around the design colours.
inline constexpr QColor kPanelColor = QColor(14, 14, 32);
inline constexpr QColor kPanelEdgeColor = QColor(70, 78, 130);
inline constexpr QColor kDisplayTextColor = QColor(150, 225, 255);
inline constexpr QColor kDimTextColor = QColor(110, 130, 180);
inline constexpr QColor kBarColor = QColor(90, 200, 255);

// The Japanese face of every text of the window.
QFont skinFont(int pixelSize, bool bold = false);

}  // namespace vesk::ui
