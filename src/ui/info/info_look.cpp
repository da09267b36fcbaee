#include "ui/info/info_look.h"

#include <QPalette>
#include <QWidget>
#include <QWindow>

namespace vesk::ui::info {

QColor colorFromBgr(std::uint32_t value) {
    return QColor(static_cast<int>(value & 0xFF), static_cast<int>((value >> 8) & 0xFF),
                  static_cast<int>((value >> 16) & 0xFF));
}

QFont uiFont(int pixelSize, bool bold) {
    QFont font(QStringLiteral("Noto Sans CJK JP"));
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    font.setHintingPreference(QFont::PreferFullHinting);
    return font;
}

QFont fixedFont(int pixelSize) {
    QFont font(QStringLiteral("Noto Sans Mono CJK JP"));
    font.setStyleHint(QFont::Monospace);
    font.setFixedPitch(true);
    font.setPixelSize(pixelSize);
    return font;
}

void applyDarkSkin(QWidget& window) {
    QPalette palette = window.palette();
    const QColor background = colorFromBgr(MainBackground);
    // The disabled group looks like the active one: these windows show, they do not ask.
    for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        palette.setColor(group, QPalette::Window, background);
        palette.setColor(group, QPalette::WindowText, colors::Text);
        palette.setColor(group, QPalette::Base, colors::Panel);
        palette.setColor(group, QPalette::Text, colors::Text);
        palette.setColor(group, QPalette::Button, colors::Panel);
        palette.setColor(group, QPalette::ButtonText, colors::Text);
    }
    window.setPalette(palette);
    window.setAutoFillBackground(true);
}

void keepAbove(QWidget& window, QWidget* owner) {
    if (owner == nullptr) {
        return;
    }
    window.winId();
    owner->winId();
    if (window.windowHandle() != nullptr) {
        window.windowHandle()->setTransientParent(owner->windowHandle());
    }
}

}  // namespace vesk::ui::info
