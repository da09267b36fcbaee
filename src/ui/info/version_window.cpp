#include "ui/info/version_window.h"

#include <QCloseEvent>
#include <QFrame>
#include <QLabel>
#include <QPushButton>

#include "ui/info/info_look.h"
#include "ui/info/info_resources.h"
#include "ui/info/svg_picture.h"

namespace vesk::ui {
namespace {

// The maker's own texts.
constexpr char RightsNotice[] = "Copyright (C) 2026 VESK MIDI PLAYER Project";
constexpr char TermsOfUse[] =
    "本ソフトはフリーソフトです。どなたでも自由にお使いいただけますが、"
    "使用によって生じた損害に作者は責任を負いません。";

QLabel* textLabel(QWidget* parent, const QString& text, const QFont& font, const QColor& color) {
    auto* label = new QLabel(text, parent);
    label->setFont(font);
    QPalette palette = label->palette();
    for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        palette.setColor(group, QPalette::WindowText, color);
    }
    label->setPalette(palette);
    return label;
}

// A label that sizes to its text, with its top left corner at (left, top) pixels. The CJK
// fonts ask for generous line spacing; `maxHeight` (pixels, 0 for none) keeps rows that
// are set closer than that from overlapping, with the text centred in what is left.
QLabel* placedLabel(QWidget* parent, const QString& text, int left, int top, const QFont& font,
                    const QColor& color, int maxHeight = 0) {
    QLabel* label = textLabel(parent, text, font, color);
    label->move(left, top);
    label->adjustSize();
    if (maxHeight > 0 && label->height() > maxHeight) {
        label->resize(label->width(), maxHeight);
    }
    return label;
}

}  // namespace

QString versionTitleLine(const VersionTexts& texts) {
    const QString line = texts.appTitle + u' ' + texts.appVersion;
    return texts.revision > 0 ? line + QStringLiteral(" #") + QString::number(texts.revision)
                              : line;
}

VersionWindow::VersionWindow(const VersionTexts& texts, QWidget* mainWindow)
    : QWidget(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      block_(std::make_unique<WindowBlock>(mainWindow)) {
    info::initResources();
    setWindowTitle(QStringLiteral("バージョン情報"));
    setFixedSize(312, 248);
    info::applyDarkSkin(*this);

    auto* icon = new SvgPicture(QStringLiteral(":/vesk/info/icon.svg"), this);
    icon->setObjectName(QStringLiteral("Image2"));
    icon->setGeometry(QRect(8, 8, 32, 32));

    QLabel* title = placedLabel(this, versionTitleLine(texts), 48, 12, info::uiFont(12, true),
                                info::colors::Accent, 16);
    title->setObjectName(QStringLiteral("lbl_Title"));

    QLabel* rights = placedLabel(this, QString::fromUtf8(RightsNotice), 48, 28, info::uiFont(10),
                                 info::colors::Muted);
    rights->setObjectName(QStringLiteral("Label2"));

    auto* rule = new QFrame(this);
    rule->setObjectName(QStringLiteral("Line1"));
    rule->setGeometry(24, 48, 264, 1);
    rule->setAutoFillBackground(true);
    QPalette rulePalette = rule->palette();
    rulePalette.setColor(QPalette::Window, info::colors::Rule);
    rule->setPalette(rulePalette);

    QLabel* terms =
        textLabel(this, QString::fromUtf8(TermsOfUse), info::uiFont(10), info::colors::Text);
    terms->setObjectName(QStringLiteral("Label3"));
    terms->setWordWrap(true);
    terms->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    terms->setGeometry(QRect(10, 58, 294, 48));

    auto* box = new QFrame(this);
    box->setObjectName(QStringLiteral("Picture1"));
    box->setGeometry(QRect(8, 114, 295, 61));
    box->setStyleSheet(QStringLiteral("QFrame#Picture1 { background: %1; border: 1px solid %2; "
                                      "border-radius: 3px; }")
                           .arg(info::colors::Panel.name(), info::colors::Rule.name()));
    const QFont fixed = info::fixedFont(11);
    for (std::size_t i = 0; i < dll_.size(); ++i) {
        const QString line = QLatin1String(ComponentLabels[i]) + texts.components[i];
        dll_[i] =
            placedLabel(box, line, 2, 2 + 14 * static_cast<int>(i), fixed, info::colors::Text, 14);
        dll_[i]->setObjectName(QStringLiteral("lbl_Dll%1").arg(i));
    }

    auto* banner = new SvgPicture(QStringLiteral(":/vesk/info/banner.svg"), this);
    banner->setObjectName(QStringLiteral("Image1"));
    banner->setGeometry(QRect(8, 202, 200, 40));

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("Command1"));
    ok->setGeometry(QRect(216, 222, 87, 21));
    ok->setFont(info::uiFont(12));
    ok->setStyleSheet(
        QStringLiteral("QPushButton { color: %1; background: qlineargradient(x1:0, y1:0, x2:0, "
                       "y2:1, stop:0 #4a4c9a, stop:1 #2a2a58); border: 1px solid %2; "
                       "border-radius: 4px; } QPushButton:pressed { background: %3; }")
            .arg(info::colors::Text.name(), info::colors::Rule.name(), info::colors::Panel.name()));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QWidget::close);

    info::keepAbove(*this, mainWindow);
}

VersionWindow::~VersionWindow() = default;

void VersionWindow::closeEvent(QCloseEvent* event) {
    block_->release();
    event->accept();
}

}  // namespace vesk::ui
