#include "ui/main/player_window.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>

#include "ui/main/skin_style.h"
#include "ui/main/skin_widgets.h"
#include "ui/main/song_list.h"

namespace vesk::ui {
namespace {

constexpr int kClientWidth = 7230;
constexpr int kClientHeight = 4980;
constexpr int kTimerMs = 250;

// The display panel behind the title, the times and the position bar.
constexpr QRect kDisplayPanel = twipsRect(90, 90, 7050, 1170);

const std::array<QString, 4> kButtonPictures = {
    QStringLiteral("button_open"), QStringLiteral("button_doc"), QStringLiteral("button_info"),
    QStringLiteral("button_option")};
const std::array<QString, 4> kButtonTips = {QStringLiteral("ﾌｧｲﾙを開く"),
                                            QStringLiteral("ﾄﾞｷｭﾒﾝﾄを開く"),
                                            QStringLiteral("ﾌｧｲﾙ情報"), QStringLiteral("ｵﾌﾟｼｮﾝ")};
const std::array<QString, 4> kToolPictures = {
    QStringLiteral("tool_delete"), QStringLiteral("tool_up"), QStringLiteral("tool_down"),
    QStringLiteral("tool_save")};
const std::array<QString, 4> kToolTips = {QStringLiteral("削除"), QStringLiteral("上へ"),
                                          QStringLiteral("下へ"), QStringLiteral("ﾘｽﾄを保存")};

QString pressed(const QString& key) {
    return key + QStringLiteral("_pressed");
}

SkinLabel* displayLabel(const QString& text, QWidget* parent, int pixelSize, bool bold,
                        const QColor& color) {
    auto* label = new SkinLabel(text, parent);
    label->setFont(skinFont(pixelSize, bold));
    QPalette p = label->palette();
    p.setColor(QPalette::WindowText, color);
    label->setPalette(p);
    return label;
}

PictureBox* pictureBox(SkinArt& art, QWidget* parent, const QString& name, const QString& picture,
                       const QString& tip, QRect place) {
    auto* box = new PictureBox(art, parent);
    box->setObjectName(name);
    box->setPicture(picture);
    box->setToolTip(tip);
    box->setGeometry(place);
    return box;
}

QAction* item(QMenu* menu, const QString& name, const QString& caption) {
    QAction* action = menu->addAction(caption);
    action->setObjectName(name);
    return action;
}

constexpr char kListStyle[] =
    "QListWidget { background: rgb(14,14,32); color: rgb(205,228,255);"
    " border: 1px solid rgb(70,78,130); border-radius: 4px; padding: 2px; outline: 0; }"
    "QListWidget::item { padding: 1px 4px; }"
    "QListWidget::item:selected { background: rgb(70,140,178); color: white; }"
    "QScrollBar:vertical { background: rgb(20,20,44); width: 10px; margin: 0; }"
    "QScrollBar::handle:vertical { background: rgb(80,92,150); border-radius: 4px;"
    " min-height: 20px; }"
    "QScrollBar::add-line:vertical, QScrollBar::sub-line:vertical { height: 0; }"
    "QScrollBar::add-page:vertical, QScrollBar::sub-page:vertical { background: none; }";

constexpr char kMenuLabelStyle[] =
    "QLabel { color: rgb(190,235,255); background: qlineargradient(x1:0,y1:0,x2:0,y2:1,"
    " stop:0 rgb(90,99,150), stop:1 rgb(38,42,76)); border: 1px solid rgb(17,20,42);"
    " border-radius: 5px; }"
    "QLabel:hover { border-color: rgb(143,216,255); }";

}  // namespace

F_1::F_1(MainWindowContext& context, F_1Parts parts) : context_(context), parts_(std::move(parts)) {
    setObjectName(QStringLiteral("F_1"));
    setWindowTitle(QStringLiteral("VESK MIDI"));
    setWindowIcon(QIcon(art_.pixmap(QStringLiteral("icon"), QSize(64, 64), 1.0)));
    setFixedSize(twipsToPixels(kClientWidth), twipsToPixels(kClientHeight));
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, colorFromBgr(kBackColor));
    p.setColor(QPalette::WindowText, kDisplayTextColor);
    setPalette(p);
    setFont(skinFont(12));

    buildControls();
    buildMenus();
    connectControls();
    connectList();

    Tmr1_.setParent(this);
    Tmr1_.setObjectName(QStringLiteral("Tmr1"));
    Tmr1_.setInterval(kTimerMs);
    connect(&Tmr1_, &QTimer::timeout, this, [this] { context_.player.monitorTick(kTimerMs); });
}

F_1::~F_1() {
    Tmr1_.stop();
}

void F_1::buildControls() {
    titleStrip_ = new QWidget(this);
    titleStrip_->setGeometry(twipsRect(150, 150, 6930, 330));
    lbl_Title_ = displayLabel(QStringLiteral("VESK MIDI PLAYER Ver 1.0.0"), titleStrip_, 14, true,
                              kDisplayTextColor);
    lbl_Title_->setObjectName(QStringLiteral("lbl_Title"));
    lbl_Title_->adjustSize();
    lbl_Title_->move(player::kTitleStartLeft, (titleStrip_->height() - lbl_Title_->height()) / 2);

    lbl_Status_ = displayLabel(QStringLiteral("―――"), this, 12, true, kDimTextColor);
    lbl_Status_->setObjectName(QStringLiteral("lbl_Status"));
    lbl_Status_->setGeometry(twipsRect(270, 525, 960, 300));
    lbl_Now_ = displayLabel(QStringLiteral("00:00"), this, 18, true, kDisplayTextColor);
    lbl_Now_->setObjectName(QStringLiteral("lbl_Now"));
    lbl_Now_->setGeometry(twipsRect(1260, 495, 780, 360));
    lbl_Now_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    lbl_Slash_ = displayLabel(QStringLiteral("/"), this, 14, false, kDimTextColor);
    lbl_Slash_->setObjectName(QStringLiteral("lbl_Slash"));
    lbl_Slash_->setGeometry(twipsRect(2070, 495, 180, 360));
    lbl_Slash_->setAlignment(Qt::AlignCenter);
    lbl_All_ = displayLabel(QStringLiteral("00:00"), this, 14, false, kDimTextColor);
    lbl_All_->setObjectName(QStringLiteral("lbl_All"));
    lbl_All_->setGeometry(twipsRect(2250, 510, 780, 345));
    lbl_All_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);

    Picture1_ = new QWidget(this);
    Picture1_->setObjectName(QStringLiteral("Picture1"));
    Picture1_->setGeometry(twipsRect(3450, 525, 1650, 300));
    Img_Rep_ = pictureBox(art_, Picture1_, QStringLiteral("Img_Rep"), QStringLiteral("repeat"),
                          QString(), twipsRect(30, 30, 270, 240));
    Img_Rep_->setAttribute(Qt::WA_TransparentForMouseEvents);
    lbl_Rep_ = displayLabel(QStringLiteral("SHUFF"), Picture1_, 12, true, kDisplayTextColor);
    lbl_Rep_->setObjectName(QStringLiteral("lbl_Rep"));
    lbl_Rep_->setGeometry(twipsRect(360, 0, 1200, 300));
    lbl_Rep_->setAttribute(Qt::WA_TransparentForMouseEvents);
    lbl_NoRep_ = displayLabel(QString(), Picture1_, 12, true, kDimTextColor);
    lbl_NoRep_->setObjectName(QStringLiteral("lbl_NoRep"));
    lbl_NoRep_->setGeometry(twipsRect(0, 0, 1650, 300));
    lbl_NoRep_->setCursor(Qt::PointingHandCursor);

    const auto deviceLabel = [this](const QString& name, const QString& text, int left) {
        SkinLabel* label = displayLabel(text, this, 13, true, Qt::white);
        label->setObjectName(name);
        label->setAlignment(Qt::AlignCenter);
        label->setGeometry(twipsRect(left, 525, 330, 300));
        return label;
    };
    Label3_ = deviceLabel(QStringLiteral("Label3"), QStringLiteral("Ａ"), 6330);
    Label4_ = deviceLabel(QStringLiteral("Label4"), QStringLiteral("Ｂ"), 6690);
    Label3_->setBackground(colorFromBgr(kDeviceInUseColor));
    Label4_->setBackground(colorFromBgr(kDeviceIdleColor));
    Label4_->setEnabled(false);

    Picture3_ = new PositionBar(this);
    Picture3_->setObjectName(QStringLiteral("Picture3"));
    Picture3_->setGeometry(twipsRect(210, 945, 6810, 180));

    const int transportTop = 1380;
    const auto transport = [&](const QString& name, const QString& picture, const QString& tip,
                               int left) {
        return pictureBox(art_, this, name, picture, tip, twipsRect(left, transportTop, 600, 450));
    };
    B_Back_ = transport(QStringLiteral("B_Back"), QStringLiteral("transport_back"),
                        QStringLiteral("前の曲"), 150);
    B_Prev_ = transport(QStringLiteral("B_Prev"), QStringLiteral("transport_prev"),
                        QStringLiteral("頭だし"), 780);
    B_Play_ = transport(QStringLiteral("B_Play"), QStringLiteral("transport_play"),
                        QStringLiteral("再生/一時停止"), 1410);
    B_Stop_ = transport(QStringLiteral("B_Stop"), QStringLiteral("transport_stop"),
                        QStringLiteral("停止"), 2040);
    B_Next_ = transport(QStringLiteral("B_Next"), QStringLiteral("transport_next"),
                        QStringLiteral("次の曲"), 2670);

    Picture5_ = new QWidget(this);
    Picture5_->setObjectName(QStringLiteral("Picture5"));
    Picture5_->setGeometry(twipsRect(3780, transportTop, 3330, 450));
    for (int i = 0; i < 4; ++i) {
        const auto n = static_cast<std::size_t>(i);
        img_Button_[n] =
            pictureBox(art_, Picture5_, QStringLiteral("img_Button%1").arg(i), kButtonPictures[n],
                       kButtonTips[n], twipsRect(i * 480, 0, 450, 450));
        img_ButtonC_[n] = pressed(kButtonPictures[n]);
    }
    B_Menu_ = new SkinLabel(QStringLiteral("Click!"), Picture5_);
    B_Menu_->setObjectName(QStringLiteral("B_Menu"));
    B_Menu_->setFont(skinFont(12, true));
    B_Menu_->setAlignment(Qt::AlignCenter);
    B_Menu_->setStyleSheet(QString::fromLatin1(kMenuLabelStyle));
    B_Menu_->setGeometry(twipsRect(2040, 45, 1260, 360));
    B_Menu_->setCursor(Qt::PointingHandCursor);

    SongList_ = new SongList(this);
    SongList_->setObjectName(QStringLiteral("SongList"));
    SongList_->setGeometry(twipsRect(120, 1980, 6990, 2475));
    SongList_->setStyleSheet(QString::fromLatin1(kListStyle));

    for (int i = 0; i < 4; ++i) {
        const auto n = static_cast<std::size_t>(i);
        Img_ToolA_[n] = kToolPictures[n];
        Img_ToolC_[n] = pressed(kToolPictures[n]);
        Img_Tool_[n] = pictureBox(art_, this, QStringLiteral("Img_Tool%1").arg(i), Img_ToolA_[n],
                                  kToolTips[n], twipsRect(5550 + i * 390, 4530, 330, 300));
    }
}

void F_1::buildMenus() {
    mnu_File_ = new QMenu(QStringLiteral("0"), this);
    mnu_File_->setObjectName(QStringLiteral("mnu_File"));
    mnu_OpenFile_ = item(mnu_File_, QStringLiteral("mnu_OpenFile"), QStringLiteral("新規ﾌｧｲﾙ"));
    mnu_AddFile_ = item(mnu_File_, QStringLiteral("mnu_AddFile"), QStringLiteral("追加ﾌｧｲﾙ"));
    mnu_File_->addSeparator()->setObjectName(QStringLiteral("mnu_Sin3"));
    mnu_OpenFolder_ =
        item(mnu_File_, QStringLiteral("mnu_OpenFolder"), QStringLiteral("新規ﾌｫﾙﾀﾞ"));
    mnu_AddFolder_ = item(mnu_File_, QStringLiteral("mnu_AddFolder"), QStringLiteral("追加ﾌｫﾙﾀﾞ"));
    mnu_AddFile_->setEnabled(false);
    mnu_AddFolder_->setEnabled(false);

    mnu_Repeat_ = new QMenu(QStringLiteral("1"), this);
    mnu_Repeat_->setObjectName(QStringLiteral("mnu_Repeat"));
    const std::array<QString, 4> repeatCaptions = {
        QStringLiteral("なし(&N)"), QStringLiteral("単曲(&O)"), QStringLiteral("全曲(&A)"),
        QStringLiteral("ｼｬｯﾌﾙ(&S)")};
    for (int i = 0; i < 4; ++i) {
        const auto n = static_cast<std::size_t>(i);
        mnu_Crep_[n] = item(mnu_Repeat_, QStringLiteral("mnu_Crep%1").arg(i), repeatCaptions[n]);
        mnu_Crep_[n]->setCheckable(true);
        mnu_Crep_[n]->setChecked(i == 0);
    }

    mnu_Menu_ = new QMenu(QStringLiteral("2"), this);
    mnu_Menu_->setObjectName(QStringLiteral("mnu_Menu"));
    mnu_Speed_ = mnu_Menu_->addMenu(QStringLiteral("速度(&S)"));
    mnu_Speed_->setObjectName(QStringLiteral("mnu_Speed"));
    mnu_Double_ = item(mnu_Speed_, QStringLiteral("mnu_Double"), QStringLiteral("倍速再生(&D)"));
    mnu_Hurf_ = item(mnu_Speed_, QStringLiteral("mnu_Hurf"), QStringLiteral("1/2速再生(&H)"));
    mnu_Device_ = mnu_Menu_->addMenu(QStringLiteral("音源(&D)"));
    mnu_Device_->setObjectName(QStringLiteral("mnu_Device"));
    mnu_DevA_ = item(mnu_Device_, QStringLiteral("mnu_DevA"), QStringLiteral("音源Ａ(&A)"));
    mnu_DevB_ = item(mnu_Device_, QStringLiteral("mnu_DevB"), QStringLiteral("音源Ｂ(&B)"));
    mnu_Auto_ = item(mnu_Device_, QStringLiteral("mnu_Auto"), QStringLiteral("自動選択(&A)"));
    for (QAction* a : {mnu_Double_, mnu_Hurf_, mnu_DevA_, mnu_DevB_, mnu_Auto_}) {
        a->setCheckable(true);
    }
    mnu_DevA_->setChecked(true);
    mnu_DevB_->setEnabled(false);
    mnu_Auto_->setEnabled(false);
    mnu_Menu_->addSeparator()->setObjectName(QStringLiteral("mnu_Sin6"));
    mnu_TaskTray_ =
        item(mnu_Menu_, QStringLiteral("mnu_TaskTray"), QStringLiteral("タスクトレイへ最小化"));
    mnu_TaskTray_->setEnabled(static_cast<bool>(context_.enterTray));
    if (!context_.enterTray) {
        mnu_TaskTray_->setToolTip(QStringLiteral("このデスクトップにはタスクトレイがありません"));
        mnu_Menu_->setToolTipsVisible(true);
    }
    mnu_Menu_->addSeparator()->setObjectName(QStringLiteral("mnu_Sin14"));
    mnu_Ver_ = item(mnu_Menu_, QStringLiteral("mnu_Ver"), QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報(&V)"));
    mnu_Menu_->addSeparator()->setObjectName(QStringLiteral("mnu_Sin5"));
    mnu_Exit_ = item(mnu_Menu_, QStringLiteral("mnu_Exit"), QStringLiteral("終了(&X)"));

    // No control of the design opens these two; the title line opens the tools.
    mnu_Option_ = new QMenu(QStringLiteral("ﾂｰﾙ(&T)"), this);
    mnu_Option_->setObjectName(QStringLiteral("mnu_Option"));
    mnu_Volume_ =
        item(mnu_Option_, QStringLiteral("mnu_Volume"), QStringLiteral("ﾎﾞﾘｭｰﾑｺﾝﾄﾛｰﾙ(&V)"));
    mnu_Option_->addSeparator()->setObjectName(QStringLiteral("mnu_Sin2"));
    mnu_Option_->addSeparator()->setObjectName(QStringLiteral("mnu_Sin1"));
    mnu_Scroll_ = item(mnu_Option_, QStringLiteral("mnu_Scroll"), QStringLiteral("ﾀｲﾄﾙｽｸﾛｰﾙ(&T)"));
    mnu_Scroll_->setCheckable(true);
    mnu_Scroll_->setChecked(true);
    mnu_Help_ = new QMenu(QStringLiteral("ﾍﾙﾌﾟ(&H)"), this);
    mnu_Help_->setObjectName(QStringLiteral("mnu_Help"));
    mnu_Readme_ = item(mnu_Help_, QStringLiteral("mnu_Readme"), QStringLiteral("Readme表示"));
    mnu_Help_->addSeparator()->setObjectName(QStringLiteral("mnu_Sin4"));

    for (QMenu* menu : {mnu_File_, mnu_Repeat_, mnu_Menu_, mnu_Option_, mnu_Help_}) {
        menu->setFont(skinFont(12));
    }
}

void F_1::popup(QMenu* menu, QPoint globalPos) {
    syncMenus();
    menu->popup(globalPos);
}

void F_1::syncMenus() {
    player::Player& core = context_.player;
    const player::MainWindowState& main = core.mainWindow();
    const player::DeviceChoiceFlags& choice = core.state().choice;
    for (int i = 0; i < 4; ++i) {
        mnu_Crep_[static_cast<std::size_t>(i)]->setChecked(core.repeatMode() == i);
    }
    mnu_Double_->setChecked(main.speed.doubleSpeed);
    mnu_Hurf_->setChecked(main.speed.halfSpeed);
    mnu_DevA_->setChecked(choice.deviceAChosen && !choice.autoChosen);
    mnu_DevB_->setChecked(choice.deviceBChosen && !choice.autoChosen);
    mnu_Auto_->setChecked(choice.autoChosen);
    mnu_Scroll_->setChecked(main.scroll);
}

void F_1::focusList() {
    SongList_->setFocus(Qt::OtherFocusReason);
}

void F_1::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient shade(0, kDisplayPanel.top(), 0, kDisplayPanel.bottom());
    shade.setColorAt(0, kPanelColor.lighter(140));
    shade.setColorAt(1, kPanelColor);
    painter.setPen(QPen(kPanelEdgeColor, 1));
    painter.setBrush(shade);
    painter.drawRoundedRect(QRectF(kDisplayPanel).adjusted(0.5, 0.5, -0.5, -0.5), 6, 6);
    // A thin rule under the title line.
    painter.setPen(QPen(QColor(60, 66, 120), 1));
    const int rule = titleStrip_->geometry().bottom() + 2;
    painter.drawLine(kDisplayPanel.left() + 8, rule, kDisplayPanel.right() - 8, rule);
}

// PlayerView --------------------------------------------------------------------------

void F_1::clearList() {
    SongList_->clear();
}

void F_1::appendLine(const QString& line) {
    SongList_->addItem(line);
}

void F_1::setLine(int index, const QString& line) {
    if (QListWidgetItem* row = SongList_->item(index)) {
        row->setText(line);
    }
}

void F_1::removeLastLine() {
    delete SongList_->takeItem(SongList_->count() - 1);
}

void F_1::selectLine(int index) {
    SongList_->selectLine(index);
}

void F_1::setCaption(const QString& caption) {
    setWindowTitle(caption);
}

void F_1::setStatusText(const QString& text) {
    lbl_Status_->setText(text);
}

void F_1::setNowText(const QString& text) {
    lbl_Now_->setText(text);
}

void F_1::setTotalText(const QString& text) {
    lbl_All_->setText(text);
}

void F_1::setTitleText(const QString& text) {
    lbl_Title_->setText(text);
    lbl_Title_->adjustSize();
}

void F_1::setTitleLeft(int left) {
    lbl_Title_->move(left, lbl_Title_->y());
}

int F_1::titleWidth() const {
    return lbl_Title_->width();
}

int F_1::positionBarRange() const {
    return Picture3_->width();
}

void F_1::setPositionBarWidth(int width) {
    Picture3_->setShapeWidth(width);
}

void F_1::setDeviceIndicator(int slot) {
    Label3_->setBackground(colorFromBgr(slot == 0 ? kDeviceInUseColor : kDeviceIdleColor));
    Label4_->setBackground(colorFromBgr(slot == 1 ? kDeviceInUseColor : kDeviceIdleColor));
}

void F_1::showRepeat(int, const player::RepeatIndicator& indicator) {
    lbl_Rep_->setText(indicator.repeat);
    lbl_NoRep_->setText(indicator.noRepeat);
    Img_Rep_->setVisible(indicator.imageVisible);
}

void F_1::showFileInfo(const player::FileInfoTexts& texts) {
    parts_.windows.fillFileInfo(texts);
}

void F_1::setBpmText(const QString& text) {
    parts_.windows.setFileInfoBpm(text);
}

std::optional<QPoint> F_1::windowTopLeft() const {
    return QPoint(x() * kTwipsPerPixel, y() * kTwipsPerPixel);
}

void F_1::followInfoWindow(bool, bool) {
    parts_.windows.moveFileInfo(infoWindowPlace());
}

QPoint F_1::infoWindowPlace() const {
    const QRect frame = frameGeometry();
    return QPoint(frame.left(), frame.top() + frame.height());
}

quintptr F_1::ownerWindow() const {
    return reinterpret_cast<quintptr>(static_cast<const QWidget*>(this));
}

void F_1::stateChanged() {
    const player::MainWindowState& main = context_.player.mainWindow();
    for (int i = 0; i < 4; ++i) {
        const auto n = static_cast<std::size_t>(i);
        img_Button_[n]->setFaded(!buttonUsable(i));
        Img_Tool_[n]->setFaded(!toolUsable(i));
    }
    B_Play_->setFaded(!main.canPlay);
    B_Stop_->setFaded(!main.canStop);
    B_Prev_->setFaded(!main.canPrev);
    B_Back_->setFaded(!main.canBack);
    B_Next_->setFaded(!main.canNext);
    syncMenus();
}

// Closing ---------------------------------------------------------------------------

void F_1::closeEvent(QCloseEvent* event) {
    Tmr1_.stop();
    if (!context_.module.mainReload) {
        parts_.windows.closeAll();
        context_.player.closeSession();
        SaveConfig();
    } else if (context_.player.mainWindow().infoShown) {
        context_.player.setInfoShown(false);
        parts_.windows.closeFileInfo();
    }
    event->accept();
}

}  // namespace vesk::ui
