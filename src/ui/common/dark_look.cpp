#include "ui/common/dark_look.h"

#include <QApplication>
#include <QStyle>
#include <QStyleFactory>

namespace vesk::ui {
namespace {

// The main window's background and text, and the shades the skin draws around them.
const QColor Background{32, 32, 64};
// Fields and lists a shade lighter than the ground, so that their edges and the tick
// boxes stand out on it.
const QColor Field{46, 48, 92};
const QColor Text{226, 229, 244};
const QColor DimText{110, 120, 160};
const QColor Edge{70, 78, 130};
const QColor Highlight{58, 110, 170};
const QColor Accent{150, 225, 255};

}  // namespace

QPalette darkPalette() {
    QPalette p;
    for (const auto group : {QPalette::Active, QPalette::Inactive}) {
        p.setColor(group, QPalette::Window, Background);
        p.setColor(group, QPalette::WindowText, Text);
        p.setColor(group, QPalette::Base, Field);
        p.setColor(group, QPalette::AlternateBase, Background);
        p.setColor(group, QPalette::Text, Text);
        p.setColor(group, QPalette::Button, Background.lighter(130));
        p.setColor(group, QPalette::ButtonText, Text);
        p.setColor(group, QPalette::BrightText, Accent);
        p.setColor(group, QPalette::Highlight, Highlight);
        p.setColor(group, QPalette::HighlightedText, Qt::white);
        p.setColor(group, QPalette::ToolTipBase, Field);
        p.setColor(group, QPalette::ToolTipText, Text);
        p.setColor(group, QPalette::PlaceholderText, DimText);
        p.setColor(group, QPalette::Link, Accent);
        p.setColor(group, QPalette::Light, Edge.lighter(130));
        p.setColor(group, QPalette::Midlight, Edge);
        p.setColor(group, QPalette::Mid, Edge.darker(130));
        p.setColor(group, QPalette::Dark, Background.darker(150));
        p.setColor(group, QPalette::Shadow, Qt::black);
    }
    p.setColor(QPalette::Disabled, QPalette::Window, Background);
    p.setColor(QPalette::Disabled, QPalette::Base, Background.lighter(115));
    p.setColor(QPalette::Disabled, QPalette::Button, Background);
    for (const auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) {
        p.setColor(QPalette::Disabled, role, DimText);
    }
    p.setColor(QPalette::Disabled, QPalette::Highlight, Edge);
    p.setColor(QPalette::Disabled, QPalette::HighlightedText, DimText);
    p.setColor(QPalette::Disabled, QPalette::Light, Background);
    return p;
}

void applyDarkLook() {
    // Fusion draws every part from the palette; a desktop's own style may not.
    if (QStyle* fusion = QStyleFactory::create(QStringLiteral("Fusion"))) {
        QApplication::setStyle(fusion);
    }
    QApplication::setPalette(darkPalette());
}

}  // namespace vesk::ui
