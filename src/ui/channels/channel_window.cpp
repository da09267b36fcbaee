#include "ui/channels/channel_window.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QPainter>
#include <QScrollArea>
#include <QVBoxLayout>

namespace vesk::ui {

namespace {

constexpr int kMeterWidth = 140;
constexpr int kInstrumentWidth = 230;
constexpr QColor kMuteLit(230, 96, 96);
constexpr QColor kSoloLit(240, 200, 80);

QLabel* headerLabel(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setForegroundRole(QPalette::PlaceholderText);
    return label;
}

// A lit button shows the choice in force, in a colour of its own for mute and for solo.
QToolButton* markButton(const QString& text, const QString& name, const QColor& lit,
                        QWidget* parent) {
    auto* button = new QToolButton(parent);
    button->setText(text);
    button->setObjectName(name);
    button->setCheckable(true);
    button->setFixedSize(26, 20);
    button->setStyleSheet(QStringLiteral("QToolButton:checked { background: %1; color: #101020;"
                                         " border: 1px solid %2; border-radius: 3px; }")
                              .arg(lit.name(), lit.lighter(130).name()));
    return button;
}

}  // namespace

ChannelMeter::ChannelMeter(QWidget* parent) : QWidget(parent) {
    setFixedSize(kMeterWidth, 12);
}

void ChannelMeter::setLevel(double level, bool audible) {
    if (level == level_ && audible == audible_) {
        return;
    }
    level_ = level;
    audible_ = audible;
    update();
}

void ChannelMeter::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QPalette& p = palette();
    painter.fillRect(rect(), p.color(QPalette::Base));
    const int filled = static_cast<int>(level_ * width() + 0.5);
    if (filled > 0) {
        QColor bar = p.color(QPalette::BrightText);
        if (!audible_) {
            bar = p.color(QPalette::PlaceholderText);
        }
        painter.fillRect(QRect(0, 0, filled, height()), bar);
    }
    painter.setPen(p.color(QPalette::Mid));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

ChannelWindow::ChannelWindow(player::Player& player, config::Settings& settings)
    : FollowingWindow(settings.channelsShown, kRefreshMs), player_(player) {
    setObjectName(QStringLiteral("ChannelWindow"));
    setWindowTitle(QStringLiteral("チャンネル - VESK MIDI PLAYER"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    auto* scroll = new QScrollArea(this);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    grid_ = new QWidget(scroll);
    scroll->setWidget(grid_);
    layout->addWidget(scroll);
    empty_ = new QLabel(QStringLiteral("演奏中のチャンネルはありません"), this);
    empty_->setObjectName(QStringLiteral("ChannelEmpty"));
    empty_->setAlignment(Qt::AlignCenter);
    layout->addWidget(empty_);
    rebuild({});
    resize(kInstrumentWidth + kMeterWidth + 150, 420);
}

void ChannelWindow::rebuild(const std::vector<player::ChannelRow>& rows) {
    delete grid_->layout();
    for (QWidget* child : grid_->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        delete child;
    }
    rows_.clear();
    auto* layout = new QGridLayout(grid_);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setHorizontalSpacing(8);
    layout->setVerticalSpacing(3);
    int column = 0;
    for (const QString& caption :
         {QStringLiteral("CH"), QStringLiteral("音色"), QStringLiteral("発音"),
          QStringLiteral("消音"), QStringLiteral("ソロ")}) {
        layout->addWidget(headerLabel(caption, grid_), 0, column++);
    }
    int line = 1;
    for (const player::ChannelRow& state : rows) {
        Row row;
        row.channel = state.channel;
        const QString n = QString::number(state.channel + 1);
        row.number = new QLabel(state.number, grid_);
        row.number->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        row.instrument = new QLabel(grid_);
        row.instrument->setObjectName(QStringLiteral("ChannelInstrument") + n);
        row.instrument->setFixedWidth(kInstrumentWidth);
        row.meter = new ChannelMeter(grid_);
        row.meter->setObjectName(QStringLiteral("ChannelMeter") + n);
        row.mute =
            markButton(QStringLiteral("M"), QStringLiteral("ChannelMute") + n, kMuteLit, grid_);
        row.solo =
            markButton(QStringLiteral("S"), QStringLiteral("ChannelSolo") + n, kSoloLit, grid_);
        const int channel = state.channel;
        connect(row.mute, &QToolButton::clicked, this, [this, channel] {
            player_.toggleChannelMute(channel);
            refresh();
        });
        connect(row.solo, &QToolButton::clicked, this, [this, channel] {
            player_.toggleChannelSolo(channel);
            refresh();
        });
        layout->addWidget(row.number, line, 0);
        layout->addWidget(row.instrument, line, 1);
        layout->addWidget(row.meter, line, 2);
        layout->addWidget(row.mute, line, 3, Qt::AlignCenter);
        layout->addWidget(row.solo, line, 4, Qt::AlignCenter);
        showRow(row, state);
        rows_.push_back(row);
        ++line;
    }
    layout->setRowStretch(line, 1);
    layout->setColumnStretch(5, 1);
    // Widgets added to a window already shown stay hidden until told.
    for (QWidget* child : grid_->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        child->show();
    }
    empty_->setVisible(rows.empty());
}

void ChannelWindow::showRow(Row& row, const player::ChannelRow& state) {
    row.instrument->setText(state.instrument);
    row.instrument->setEnabled(state.audible);
    row.number->setEnabled(state.audible);
    row.meter->setLevel(state.level, state.audible);
    row.mute->setChecked(state.muted);
    row.solo->setChecked(state.soloed);
}

void ChannelWindow::refresh() {
    const std::vector<player::ChannelRow> rows = player_.channelRows();
    bool same = rows.size() == rows_.size();
    for (std::size_t i = 0; same && i < rows.size(); ++i) {
        same = rows[i].channel == rows_[i].channel;
    }
    if (!same) {
        rebuild(rows);
        return;
    }
    for (std::size_t i = 0; i < rows.size(); ++i) {
        showRow(rows_[i], rows[i]);
    }
}

}  // namespace vesk::ui
