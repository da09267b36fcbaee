#include "ui/info/song_info_window.h"

#include <QPainter>

#include "ui/info/info_look.h"
#include "ui/info/info_row.h"

namespace vesk::ui {
namespace {

// Inside the box, in pixels: the six rules between the rows and the one between the words
// and the values.
constexpr std::array<int, 6> RuleHeights = {15, 31, 47, 63, 79, 95};
constexpr int WordRule = 70;
constexpr std::array<const char*, SongInfoWindow::RowCount> DesignWords = {
    "書庫名", "ファイル名", "著作権", "SMFﾌｫｰﾏｯﾄ", "BPM", "トラック数 ", "分解能"};
constexpr std::array<const char*, SongInfoWindow::RowCount> RowNames = {
    "lbl_Arch", "lbl_File", "lbl_Copy", "lbl_Smf", "lbl_BPM", "lbl_Trk", "lbl_Div"};

// Gap between the text and a rule, in pixels.
constexpr int TextGap = 5;

class RuledBox final : public QWidget {
  public:
    using QWidget::QWidget;

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(rect(), info::colors::Panel);
        painter.setPen(info::colors::Rule);
        for (const int y : RuleHeights) {
            painter.drawLine(0, y, width() - 1, y);
        }
        painter.drawLine(WordRule, 0, WordRule, height() - 1);
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }
};

// The band of row `index` between its rules, in the box's pixels.
QRect rowBand(int index, int boxWidth, int boxHeight) {
    const int top = index == 0 ? 1 : RuleHeights[static_cast<std::size_t>(index - 1)] + 1;
    const int bottom = index < static_cast<int>(RuleHeights.size())
                           ? RuleHeights[static_cast<std::size_t>(index)]
                           : boxHeight - 1;
    return QRect(1, top, boxWidth - 2, bottom - top);
}

}  // namespace

InfoRow::InfoRow(const QString& text, int ruleX, QWidget* parent)
    : QWidget(parent), text_(text), ruleX_(ruleX) {
    setFont(info::uiFont(11));
}

void InfoRow::setText(const QString& text) {
    if (text == text_) {
        return;
    }
    text_ = text;
    setToolTip(value().isEmpty() ? QString() : value());
    update();
}

QString InfoRow::word() const {
    const qsizetype split = text_.indexOf(QStringLiteral("  "));
    return (split < 0 ? text_ : text_.left(split)).trimmed();
}

QString InfoRow::value() const {
    const qsizetype split = text_.indexOf(QStringLiteral("  "));
    return split < 0 ? QString() : text_.mid(split + 2);
}

int InfoRow::wordRight() const {
    return ruleX_ - TextGap;
}

int InfoRow::valueLeft() const {
    return ruleX_ + TextGap + 1;
}

void InfoRow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setFont(font());
    const QRect wordArea(0, 0, wordRight(), height());
    painter.setPen(info::colors::Muted);
    painter.drawText(wordArea, Qt::AlignRight | Qt::AlignVCenter,
                     fontMetrics().elidedText(word(), Qt::ElideRight, wordArea.width()));
    const QRect valueArea(valueLeft(), 0, width() - valueLeft() - TextGap, height());
    painter.setPen(info::colors::Text);
    painter.drawText(valueArea, Qt::AlignLeft | Qt::AlignVCenter,
                     fontMetrics().elidedText(value(), Qt::ElideMiddle, valueArea.width()));
}

SongInfoWindow::SongInfoWindow(QWidget* owner)
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus) {
    setWindowTitle(QString());
    setFixedSize(482, 121);
    info::applyDarkSkin(*this);

    auto* box = new RuledBox(this);
    box->setObjectName(QStringLiteral("Picture1"));
    box->setGeometry(QRect(2, 4, 476, 113));
    for (int i = 0; i < RowCount; ++i) {
        const QRect band = rowBand(i, box->width(), box->height());
        auto* row = new InfoRow(QString::fromUtf8(DesignWords[static_cast<std::size_t>(i)]),
                                WordRule - band.left(), box);
        row->setObjectName(QLatin1String(RowNames[static_cast<std::size_t>(i)]));
        row->setGeometry(band);
        rows_[static_cast<std::size_t>(i)] = row;
    }
    info::keepAbove(*this, owner);
}

void SongInfoWindow::showFileInfo(const player::FileInfoTexts& texts) {
    rows_[Archive]->setText(texts.archive);
    rows_[File]->setText(texts.file);
    rows_[Copyright]->setText(texts.copyright);
    rows_[Format]->setText(texts.format);
    rows_[Tracks]->setText(texts.tracks);
    rows_[Division]->setText(texts.division);
}

void SongInfoWindow::setBpmText(const QString& text) {
    rows_[Tempo]->setText(text);
}

void SongInfoWindow::placeBelow(const QRect& mainFrame) {
    move(mainFrame.left(), mainFrame.top() + mainFrame.height());
}

}  // namespace vesk::ui
