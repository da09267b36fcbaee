#pragma once
// The look shared by the small windows: the colours of the dark skin and the Japanese
// fonts. Their layouts are in pixels.

#include <QColor>
#include <QFont>
#include <QRect>
#include <cstdint>

class QWidget;

namespace vesk::ui::info {

// Colours are stored with blue in the high byte and red in the low byte.
QColor colorFromBgr(std::uint32_t value);

// The background of the main window, which the small windows share.
inline constexpr std::uint32_t MainBackground = 4202528;

namespace colors {
inline const QColor Text{226, 229, 244};
inline const QColor Muted{150, 158, 200};
inline const QColor Accent{255, 198, 92};
inline const QColor Rule{86, 88, 138};
inline const QColor Panel{20, 20, 42};
}  // namespace colors

// "Noto Sans CJK JP" at `pixelSize`.
QFont uiFont(int pixelSize, bool bold = false);
// A fixed-pitch CJK font, so that padded texts line up in columns.
QFont fixedFont(int pixelSize);

// Dark background and light text for `window` and everything in it.
void applyDarkSkin(QWidget& window);

// Keeps `window` above `owner` without making it a child of it: a child would be
// disabled together with its owner.
void keepAbove(QWidget& window, QWidget* owner);

}  // namespace vesk::ui::info
