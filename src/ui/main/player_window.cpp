#include "ui/main/player_window.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>

#include "player/menu_state.h"
#include "ui/main/skin_style.h"
#include "ui/main/skin_widgets.h"
#include "ui/main/song_list.h"
#include "ui/main/window_place.h"

namespace vesk::ui {
namespace {

constexpr QSize kClientSize(482, 332);
constexpr int kTimerMs = 250;

// The display panel behind the title, the times and the position bar.
constexpr QRect kDisplayPanel(6, 6, 470, 78);

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

PlayerWindow::PlayerWindow(MainWindowContext& context, PlayerWindowParts parts)
    : context_(context), parts_(std::move(parts)) {
    setObjectName(QStringLiteral("F_1"));
    setWindowTitle(QStringLiteral("VESK MIDI"));
    setWindowIcon(QIcon(art_.pixmap(QStringLiteral("icon"), QSize(64, 64), 1.0)));
    setFixedSize(kClientSize);
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

    timer_.setParent(this);
    timer_.setObjectName(QStringLiteral("Tmr1"));
    timer_.setInterval(kTimerMs);
    connect(&timer_, &QTimer::timeout, this, [this] { context_.player.monitorTick(kTimerMs); });
}

PlayerWindow::~PlayerWindow() {
    timer_.stop();
}

void PlayerWindow::buildControls() {
    titleStrip_ = new QWidget(this);
    titleStrip_->setGeometry(QRect(10, 10, 462, 22));
    titleLabel_ = displayLabel(QStringLiteral("VESK MIDI PLAYER Ver 1.0.0"), titleStrip_, 14, true,
                               kDisplayTextColor);
    titleLabel_->setObjectName(QStringLiteral("lbl_Title"));
    titleLabel_->adjustSize();
    titleLabel_->move(player::kTitleStartLeft, (titleStrip_->height() - titleLabel_->height()) / 2);

    statusLabel_ = displayLabel(player::kNoStatusText, this, 12, true, kDimTextColor);
    statusLabel_->setObjectName(QStringLiteral("lbl_Status"));
    statusLabel_->setGeometry(QRect(18, 35, 64, 20));
    nowLabel_ = displayLabel(QStringLiteral("00:00"), this, 18, true, kDisplayTextColor);
    nowLabel_->setObjectName(QStringLiteral("lbl_Now"));
    nowLabel_->setGeometry(QRect(84, 33, 52, 24));
    nowLabel_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    slashLabel_ = displayLabel(QStringLiteral("/"), this, 14, false, kDimTextColor);
    slashLabel_->setObjectName(QStringLiteral("lbl_Slash"));
    slashLabel_->setGeometry(QRect(138, 33, 12, 24));
    slashLabel_->setAlignment(Qt::AlignCenter);
    totalLabel_ = displayLabel(QStringLiteral("00:00"), this, 14, false, kDimTextColor);
    totalLabel_->setObjectName(QStringLiteral("lbl_All"));
    totalLabel_->setGeometry(QRect(150, 34, 52, 23));
    totalLabel_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    transposeLabel_ = displayLabel(QString(), this, 11, true, kDisplayTextColor);
    transposeLabel_->setObjectName(QStringLiteral("lbl_Transpose"));
    transposeLabel_->setGeometry(QRect(198, 35, 32, 20));
    transposeLabel_->setAlignment(Qt::AlignCenter);
    transposeLabel_->setToolTip(QStringLiteral("移調 (半音)"));
    transposeLabel_->setText(player::transposeMark(context_.player.transpose()));

    repeatPanel_ = new QWidget(this);
    repeatPanel_->setObjectName(QStringLiteral("Picture1"));
    repeatPanel_->setGeometry(QRect(230, 35, 110, 20));
    repeatImage_ = pictureBox(art_, repeatPanel_, QStringLiteral("Img_Rep"),
                              QStringLiteral("repeat"), QString(), QRect(2, 2, 18, 16));
    repeatImage_->setAttribute(Qt::WA_TransparentForMouseEvents);
    repeatLabel_ = displayLabel(QStringLiteral("SHUFF"), repeatPanel_, 12, true, kDisplayTextColor);
    repeatLabel_->setObjectName(QStringLiteral("lbl_Rep"));
    repeatLabel_->setGeometry(QRect(24, 0, 80, 20));
    repeatLabel_->setAttribute(Qt::WA_TransparentForMouseEvents);
    noRepeatLabel_ = displayLabel(QString(), repeatPanel_, 12, true, kDimTextColor);
    noRepeatLabel_->setObjectName(QStringLiteral("lbl_NoRep"));
    noRepeatLabel_->setGeometry(QRect(0, 0, 110, 20));
    noRepeatLabel_->setCursor(Qt::PointingHandCursor);

    const auto deviceLabel = [this](const QString& name, const QString& text, int left) {
        SkinLabel* label = displayLabel(text, this, 13, true, Qt::white);
        label->setObjectName(name);
        label->setAlignment(Qt::AlignCenter);
        label->setGeometry(QRect(left, 35, 22, 20));
        return label;
    };
    deviceALabel_ = deviceLabel(QStringLiteral("Label3"), QStringLiteral("Ａ"), 422);
    deviceBLabel_ = deviceLabel(QStringLiteral("Label4"), QStringLiteral("Ｂ"), 446);
    deviceALabel_->setBackground(colorFromBgr(kDeviceInUseColor));
    deviceBLabel_->setBackground(colorFromBgr(kDeviceIdleColor));
    deviceBLabel_->setEnabled(false);

    positionBar_ = new PositionBar(this);
    positionBar_->setObjectName(QStringLiteral("Picture3"));
    positionBar_->setGeometry(QRect(14, 63, 454, 12));

    const int transportTop = 92;
    const auto transport = [&](const QString& name, const QString& picture, const QString& tip,
                               int left) {
        return pictureBox(art_, this, name, picture, tip, QRect(left, transportTop, 40, 30));
    };
    backButton_ = transport(QStringLiteral("B_Back"), QStringLiteral("transport_back"),
                            QStringLiteral("前の曲"), 10);
    prevButton_ = transport(QStringLiteral("B_Prev"), QStringLiteral("transport_prev"),
                            QStringLiteral("頭だし"), 52);
    playButton_ = transport(QStringLiteral("B_Play"), QStringLiteral("transport_play"),
                            QStringLiteral("再生/一時停止"), 94);
    stopButton_ = transport(QStringLiteral("B_Stop"), QStringLiteral("transport_stop"),
                            QStringLiteral("停止"), 136);
    nextButton_ = transport(QStringLiteral("B_Next"), QStringLiteral("transport_next"),
                            QStringLiteral("次の曲"), 178);

    buttonPanel_ = new QWidget(this);
    buttonPanel_->setObjectName(QStringLiteral("Picture5"));
    buttonPanel_->setGeometry(QRect(252, transportTop, 222, 30));
    for (int i = 0; i < 4; ++i) {
        const auto n = static_cast<std::size_t>(i);
        pictureButtons_[n] =
            pictureBox(art_, buttonPanel_, QStringLiteral("img_Button%1").arg(i),
                       kButtonPictures[n], kButtonTips[n], QRect(i * 32, 0, 30, 30));
        otherPictures_[n] = pressed(kButtonPictures[n]);
    }
    menuLabel_ = new SkinLabel(QStringLiteral("Click!"), buttonPanel_);
    menuLabel_->setObjectName(QStringLiteral("B_Menu"));
    menuLabel_->setFont(skinFont(12, true));
    menuLabel_->setAlignment(Qt::AlignCenter);
    menuLabel_->setStyleSheet(QString::fromLatin1(kMenuLabelStyle));
    menuLabel_->setGeometry(QRect(136, 3, 84, 24));
    menuLabel_->setCursor(Qt::PointingHandCursor);

    songList_ = new SongList(this);
    songList_->setObjectName(QStringLiteral("SongList"));
    songList_->setGeometry(QRect(8, 132, 466, 165));
    songList_->setStyleSheet(QString::fromLatin1(kListStyle));

    for (int i = 0; i < 4; ++i) {
        const auto n = static_cast<std::size_t>(i);
        toolPictures_[n] = kToolPictures[n];
        toolPressedPictures_[n] = pressed(kToolPictures[n]);
        listTools_[n] =
            pictureBox(art_, this, QStringLiteral("Img_Tool%1").arg(i), toolPictures_[n],
                       kToolTips[n], QRect(370 + i * 26, 302, 22, 20));
    }
}

void PlayerWindow::buildMenus() {
    fileMenu_ = new QMenu(QStringLiteral("0"), this);
    fileMenu_->setObjectName(QStringLiteral("mnu_File"));
    openFileAction_ = item(fileMenu_, QStringLiteral("mnu_OpenFile"), QStringLiteral("新規ﾌｧｲﾙ"));
    addFileAction_ = item(fileMenu_, QStringLiteral("mnu_AddFile"), QStringLiteral("追加ﾌｧｲﾙ"));
    fileMenu_->addSeparator()->setObjectName(QStringLiteral("mnu_Sin3"));
    openFolderAction_ =
        item(fileMenu_, QStringLiteral("mnu_OpenFolder"), QStringLiteral("新規ﾌｫﾙﾀﾞ"));
    addFolderAction_ =
        item(fileMenu_, QStringLiteral("mnu_AddFolder"), QStringLiteral("追加ﾌｫﾙﾀﾞ"));
    addFileAction_->setEnabled(false);
    addFolderAction_->setEnabled(false);

    repeatMenu_ = new QMenu(QStringLiteral("1"), this);
    repeatMenu_->setObjectName(QStringLiteral("mnu_Repeat"));
    const std::array<QString, 4> repeatCaptions = {
        QStringLiteral("なし(&N)"), QStringLiteral("単曲(&O)"), QStringLiteral("全曲(&A)"),
        QStringLiteral("ｼｬｯﾌﾙ(&S)")};
    for (int i = 0; i < 4; ++i) {
        const auto n = static_cast<std::size_t>(i);
        repeatActions_[n] =
            item(repeatMenu_, QStringLiteral("mnu_Crep%1").arg(i), repeatCaptions[n]);
        repeatActions_[n]->setCheckable(true);
        repeatActions_[n]->setChecked(i == 0);
    }

    mainMenu_ = new QMenu(QStringLiteral("2"), this);
    mainMenu_->setObjectName(QStringLiteral("mnu_Menu"));
    speedMenu_ = mainMenu_->addMenu(QStringLiteral("速度(&S)"));
    speedMenu_->setObjectName(QStringLiteral("mnu_Speed"));
    doubleSpeedAction_ =
        item(speedMenu_, QStringLiteral("mnu_Double"), QStringLiteral("倍速再生(&D)"));
    halfSpeedAction_ =
        item(speedMenu_, QStringLiteral("mnu_Hurf"), QStringLiteral("1/2速再生(&H)"));
    deviceMenu_ = mainMenu_->addMenu(QStringLiteral("音源(&D)"));
    deviceMenu_->setObjectName(QStringLiteral("mnu_Device"));
    deviceAAction_ = item(deviceMenu_, QStringLiteral("mnu_DevA"), QStringLiteral("音源Ａ(&A)"));
    deviceBAction_ = item(deviceMenu_, QStringLiteral("mnu_DevB"), QStringLiteral("音源Ｂ(&B)"));
    autoDeviceAction_ =
        item(deviceMenu_, QStringLiteral("mnu_Auto"), QStringLiteral("自動選択(&A)"));
    for (QAction* a : {doubleSpeedAction_, halfSpeedAction_, deviceAAction_, deviceBAction_,
                       autoDeviceAction_}) {
        a->setCheckable(true);
    }
    deviceAAction_->setChecked(true);
    deviceBAction_->setEnabled(false);
    autoDeviceAction_->setEnabled(false);
    mainMenu_->addSeparator()->setObjectName(QStringLiteral("mnu_Sin6"));
    trayAction_ =
        item(mainMenu_, QStringLiteral("mnu_TaskTray"), QStringLiteral("タスクトレイへ最小化"));
    trayAction_->setEnabled(static_cast<bool>(context_.enterTray));
    if (!context_.enterTray) {
        trayAction_->setToolTip(QStringLiteral("このデスクトップにはタスクトレイがありません"));
        mainMenu_->setToolTipsVisible(true);
    }
    mainMenu_->addSeparator()->setObjectName(QStringLiteral("mnu_Sin14"));
    versionAction_ = item(mainMenu_, QStringLiteral("mnu_Ver"), QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報(&V)"));
    mainMenu_->addSeparator()->setObjectName(QStringLiteral("mnu_Sin5"));
    exitAction_ = item(mainMenu_, QStringLiteral("mnu_Exit"), QStringLiteral("終了(&X)"));

    // No control of the design opens these two; the title line opens the tools.
    toolsMenu_ = new QMenu(QStringLiteral("ﾂｰﾙ(&T)"), this);
    toolsMenu_->setObjectName(QStringLiteral("mnu_Option"));
    volumeAction_ =
        item(toolsMenu_, QStringLiteral("mnu_Volume"), QStringLiteral("ﾎﾞﾘｭｰﾑｺﾝﾄﾛｰﾙ(&V)"));
    toolsMenu_->addSeparator()->setObjectName(QStringLiteral("mnu_Sin2"));
    toolsMenu_->addSeparator()->setObjectName(QStringLiteral("mnu_Sin1"));
    scrollAction_ = item(toolsMenu_, QStringLiteral("mnu_Scroll"), QStringLiteral("ﾀｲﾄﾙｽｸﾛｰﾙ(&T)"));
    scrollAction_->setCheckable(true);
    scrollAction_->setChecked(true);
    lyricsAction_ =
        item(toolsMenu_, QStringLiteral("mnu_Lyrics"), QStringLiteral("歌詞表示(&L)\tCtrl+L"));
    lyricsAction_->setCheckable(true);
    lyricsAction_->setEnabled(static_cast<bool>(context_.showLyrics));
    channelsAction_ = item(toolsMenu_, QStringLiteral("mnu_Channels"),
                           QStringLiteral("チャンネル表示(&C)\tCtrl+K"));
    channelsAction_->setCheckable(true);
    channelsAction_->setEnabled(static_cast<bool>(context_.showChannels));
    transposeMenu_ = toolsMenu_->addMenu(QStringLiteral("移調(&K)"));
    transposeMenu_->setObjectName(QStringLiteral("mnu_Transpose"));
    transposeUpAction_ = item(transposeMenu_, QStringLiteral("mnu_TransposeUp"),
                              QStringLiteral("半音上げる(&U)\tCtrl+PgUp"));
    transposeDownAction_ = item(transposeMenu_, QStringLiteral("mnu_TransposeDown"),
                                QStringLiteral("半音下げる(&D)\tCtrl+PgDn"));
    transposeResetAction_ = item(transposeMenu_, QStringLiteral("mnu_TransposeReset"),
                                 QStringLiteral("元に戻す(&R)\tCtrl+0"));
    loopMenu_ = std::make_unique<LoopMenu>(*toolsMenu_, context_.player);
    helpMenu_ = new QMenu(QStringLiteral("ﾍﾙﾌﾟ(&H)"), this);
    helpMenu_->setObjectName(QStringLiteral("mnu_Help"));
    readmeAction_ = item(helpMenu_, QStringLiteral("mnu_Readme"), QStringLiteral("Readme表示"));
    helpMenu_->addSeparator()->setObjectName(QStringLiteral("mnu_Sin4"));

    for (QMenu* menu : {fileMenu_, repeatMenu_, mainMenu_, toolsMenu_, transposeMenu_,
                        loopMenu_->menu(), helpMenu_}) {
        menu->setFont(skinFont(12));
    }
}

void PlayerWindow::popup(QMenu* menu, QPoint globalPos) {
    syncMenus();
    menu->popup(globalPos);
}

void PlayerWindow::syncMenus() {
    player::Player& core = context_.player;
    const player::MainWindowState& main = core.mainWindow();
    const player::DeviceChoiceFlags& choice = playerState().choice;
    for (int i = 0; i < 4; ++i) {
        repeatActions_[static_cast<std::size_t>(i)]->setChecked(core.repeatMode() == i);
    }
    doubleSpeedAction_->setChecked(main.speed.doubleSpeed);
    halfSpeedAction_->setChecked(main.speed.halfSpeed);
    deviceAAction_->setChecked(choice.deviceAChosen && !choice.autoChosen);
    deviceBAction_->setChecked(choice.deviceBChosen && !choice.autoChosen);
    autoDeviceAction_->setChecked(choice.autoChosen);
    scrollAction_->setChecked(main.scroll);
    lyricsAction_->setChecked(context_.settings.lyricsShown);
    channelsAction_->setChecked(context_.settings.channelsShown);
    const int semitones = core.transpose();
    transposeMenu_->setTitle(
        semitones == 0 ? QStringLiteral("移調(&K)")
                       : QStringLiteral("移調 %1(&K)").arg(player::transposeMark(semitones)));
    transposeUpAction_->setEnabled(semitones < 12);
    transposeDownAction_->setEnabled(semitones > -12);
    transposeResetAction_->setEnabled(semitones != 0);
    loopMenu_->sync();
}

void PlayerWindow::focusList() {
    songList_->setFocus(Qt::OtherFocusReason);
}

void PlayerWindow::paintEvent(QPaintEvent*) {
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

void PlayerWindow::clearList() {
    songList_->clear();
}

void PlayerWindow::appendLine(const QString& line) {
    songList_->addItem(line);
}

void PlayerWindow::setLine(int index, const QString& line) {
    if (QListWidgetItem* row = songList_->item(index)) {
        row->setText(line);
    }
}

void PlayerWindow::removeLastLine() {
    delete songList_->takeItem(songList_->count() - 1);
}

void PlayerWindow::selectLine(int index) {
    songList_->selectLine(index);
}

void PlayerWindow::setCaption(const QString& caption) {
    setWindowTitle(caption);
}

void PlayerWindow::setStatusText(const QString& text) {
    statusLabel_->setText(text);
}

void PlayerWindow::setNowText(const QString& text) {
    nowLabel_->setText(text);
}

void PlayerWindow::setTotalText(const QString& text) {
    totalLabel_->setText(text);
}

void PlayerWindow::setTitleText(const QString& text) {
    titleLabel_->setText(text);
    titleLabel_->adjustSize();
}

void PlayerWindow::setTitleLeft(int left) {
    titleLabel_->move(left, titleLabel_->y());
}

int PlayerWindow::titleWidth() const {
    return titleLabel_->width();
}

int PlayerWindow::positionBarRange() const {
    return positionBar_->width();
}

void PlayerWindow::setPositionBarWidth(int width) {
    positionBar_->setShapeWidth(width);
}

void PlayerWindow::setDeviceIndicator(int slot) {
    deviceALabel_->setBackground(colorFromBgr(slot == 0 ? kDeviceInUseColor : kDeviceIdleColor));
    deviceBLabel_->setBackground(colorFromBgr(slot == 1 ? kDeviceInUseColor : kDeviceIdleColor));
}

void PlayerWindow::showRepeat(int, const player::RepeatIndicator& indicator) {
    repeatLabel_->setText(indicator.repeat);
    noRepeatLabel_->setText(indicator.noRepeat);
    repeatImage_->setVisible(indicator.imageVisible);
}

void PlayerWindow::showFileInfo(const player::FileInfoTexts& texts) {
    parts_.windows.fillFileInfo(texts);
}

void PlayerWindow::showTranspose(int semitones) {
    transposeLabel_->setText(player::transposeMark(semitones));
}

void PlayerWindow::setBpmText(const QString& text) {
    parts_.windows.setFileInfoBpm(text);
}

std::optional<QPoint> PlayerWindow::windowTopLeft() const {
    return QPoint(toFileUnits(x()), toFileUnits(y()));
}

void PlayerWindow::followInfoWindow(bool, bool) {
    parts_.windows.moveFileInfo(infoWindowPlace());
}

QPoint PlayerWindow::infoWindowPlace() const {
    const QRect frame = frameGeometry();
    return QPoint(frame.left(), frame.top() + frame.height());
}

quintptr PlayerWindow::ownerWindow() const {
    return reinterpret_cast<quintptr>(static_cast<const QWidget*>(this));
}

void PlayerWindow::stateChanged() {
    const player::MainWindowState& main = context_.player.mainWindow();
    for (int i = 0; i < 4; ++i) {
        const auto n = static_cast<std::size_t>(i);
        pictureButtons_[n]->setFaded(!buttonUsable(i));
        listTools_[n]->setFaded(!toolUsable(i));
    }
    playButton_->setFaded(!main.canPlay);
    stopButton_->setFaded(!main.canStop);
    prevButton_->setFaded(!main.canPrev);
    backButton_->setFaded(!main.canBack);
    nextButton_->setFaded(!main.canNext);
    syncMenus();
}

// Closing ---------------------------------------------------------------------------

void PlayerWindow::closeEvent(QCloseEvent* event) {
    timer_.stop();
    if (!context_.module.mainReload) {
        parts_.windows.closeAll();
        context_.player.closeSession();
        saveConfig();
    } else if (context_.player.mainWindow().infoShown) {
        context_.player.setInfoShown(false);
        parts_.windows.closeFileInfo();
    }
    event->accept();
}

}  // namespace vesk::ui
