#include "ui/tray/tray_window.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QLoggingCategory>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>
#include <algorithm>

#include "intake/intake.h"
#include "intake/intake_reporter.h"
#include "ui/common/selection_text.h"

// Resources of a static library are registered by hand, outside any namespace.
static void registerTrayArt() {
    Q_INIT_RESOURCE(tray_art);
}

namespace vesk::ui {
namespace {

Q_LOGGING_CATEGORY(lcTray, "vesk.ui.tray")

constexpr char TrayTip[] = "VESK MIDI PLAYER";

QPixmap renderSvg(const QString& path, int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QSvgRenderer renderer(path);
    if (!renderer.isValid()) {
        qCWarning(lcTray) << "tray icon picture missing:" << path;
        return pixmap;
    }
    QPainter painter(&pixmap);
    renderer.render(&painter);
    return pixmap;
}

}  // namespace

QIcon TrayWindow::trayIcon() {
    registerTrayArt();
    QIcon icon;
    // The small size has a picture of its own, drawn on the pixel grid.
    icon.addPixmap(renderSvg(QStringLiteral(":/vesk/tray/art/tray_16.svg"), 16));
    for (int size : {22, 24, 32, 48, 64}) {
        icon.addPixmap(renderSvg(QStringLiteral(":/vesk/tray/art/tray.svg"), size));
    }
    return icon;
}

TrayWindow::TrayWindow(TrayContext& context, TrayWindowParts parts)
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint),
      context_(context),
      parts_(std::move(parts)),
      ownExtractor_(context.module, context.settings),
      extractor_(context.extractor != nullptr ? *context.extractor : ownExtractor_) {
    setObjectName(QStringLiteral("F_6"));
    setWindowTitle(context.module.appTitle);
    const QIcon art = trayIcon();
    setWindowIcon(art);
    timer_.setObjectName(QStringLiteral("Tmr1"));
    timer_.setInterval(kTrayTickMs);
    connect(&timer_, &QTimer::timeout, this, [this] { tick(); });
    buildMenu();
    icon_ = new QSystemTrayIcon(art, this);
    icon_->setObjectName(QStringLiteral("TrayIcon"));
    icon_->setToolTip(QString::fromUtf8(TrayTip));
    // No context menu is handed to the icon: the platform would open it on the button
    // press; the tray opens it itself when the icon reports a context-menu request.
    connect(icon_, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) { iconActivated(reason); });
}

TrayWindow::~TrayWindow() = default;

void TrayWindow::buildMenu() {
    popupMenu_ = new QMenu(QStringLiteral("PopUp Menu"), this);
    popupMenu_->setObjectName(QStringLiteral("mnu_Main"));
    auto item = [](QMenu* menu, const char* name, const char* caption) {
        QAction* a = menu->addAction(QString::fromUtf8(caption));
        a->setObjectName(QString::fromLatin1(name));
        return a;
    };
    auto separator = [this](const char* name) {
        popupMenu_->addSeparator()->setObjectName(QString::fromLatin1(name));
    };
    player::Player& core = context_.player;

    playAction_ = item(popupMenu_, "mnu_Play", "再生");
    pauseAction_ = item(popupMenu_, "mnu_Pause", "一時停止");
    stopAction_ = item(popupMenu_, "mnu_Stop", "停止");
    separator("mnu_Sin0");
    nextAction_ = item(popupMenu_, "mnu_Next", "次の曲");
    backAction_ = item(popupMenu_, "mnu_Back", "前の曲");
    prevAction_ = item(popupMenu_, "mnu_Prev", "頭出し");
    separator("mnu_Sin1");
    repeatMenu_ = popupMenu_->addMenu(QStringLiteral("リピート"));
    repeatMenu_->setObjectName(QStringLiteral("mnu_Repeat"));
    const std::array<const char*, 4> repeatCaptions{"なし", "単曲", "全曲", "ｼｬｯﾌﾙ"};
    for (std::size_t i = 0; i < repeatActions_.size(); ++i) {
        const QByteArray name = "mnu_Crep" + QByteArray::number(static_cast<int>(i));
        repeatActions_[i] = item(repeatMenu_, name.constData(), repeatCaptions[i]);
        repeatActions_[i]->setCheckable(true);
        const auto mode = static_cast<std::int16_t>(i);
        connect(repeatActions_[i], &QAction::triggered, this, [this, mode] {
            context_.player.repeatCommand(mode);
            syncMenu();
        });
    }
    separator("mnu_Sin2");
    quitAction_ = item(popupMenu_, "mnu_End", "終了");

    pauseAction_->setEnabled(false);
    stopAction_->setEnabled(false);

    // The player keeps the menu states in tray mode and reports them through stateChanged.
    connect(playAction_, &QAction::triggered, this, [&core] { core.transportPlay(); });
    connect(pauseAction_, &QAction::triggered, this, [&core] { core.transportPause(); });
    connect(stopAction_, &QAction::triggered, this, [&core] { core.transportStop(); });
    connect(prevAction_, &QAction::triggered, this, [&core] { core.transportPrev(); });
    connect(nextAction_, &QAction::triggered, this, [&core] { core.transportNext(); });
    connect(backAction_, &QAction::triggered, this, [&core] { core.transportBack(); });
    connect(quitAction_, &QAction::triggered, this, [this] { close(); });
}

void TrayWindow::load() {
    icon_->show();
    context_.player.enterTray(*this);
    if (parts_.closeMainWindow) {
        parts_.closeMainWindow();
    }
    context_.module.mainReload = false;
    syncMenu();
    if (parts_.runTimer) {
        timer_.start();
    }
}

void TrayWindow::tick() {
    context_.player.monitorTick(kTrayTickMs);
}

TrayResponse trayResponse(QSystemTrayIcon::ActivationReason reason, Qt::MouseButtons held) {
    switch (reason) {
        case QSystemTrayIcon::DoubleClick:
            return TrayResponse::ReturnToMainWindow;
        case QSystemTrayIcon::Trigger:
            return held.testFlag(Qt::LeftButton) ? TrayResponse::Nothing
                                                 : TrayResponse::ReturnToMainWindow;
        case QSystemTrayIcon::Context:
            return held.testFlag(Qt::RightButton) ? TrayResponse::OpenMenuOnRelease
                                                  : TrayResponse::OpenMenu;
        default:
            return TrayResponse::Nothing;
    }
}

void TrayWindow::iconActivated(QSystemTrayIcon::ActivationReason reason) {
    switch (trayResponse(reason, QGuiApplication::mouseButtons())) {
        case TrayResponse::ReturnToMainWindow:
            returnToMainWindow();
            break;
        case TrayResponse::OpenMenu:
            popupMenu_->popup(QCursor::pos());
            break;
        case TrayResponse::OpenMenuOnRelease:
            if (!menuOnRelease_) {
                menuOnRelease_ = true;
                qApp->installEventFilter(this);
            }
            break;
        case TrayResponse::Nothing:
            break;
    }
}

bool TrayWindow::eventFilter(QObject* watched, QEvent* event) {
    if (menuOnRelease_ && event->type() == QEvent::MouseButtonRelease) {
        const auto* release = static_cast<QMouseEvent*>(event);
        if (release->button() == Qt::RightButton) {
            menuOnRelease_ = false;
            qApp->removeEventFilter(this);
            if (!closed_) {
                popupMenu_->popup(release->globalPosition().toPoint());
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TrayWindow::returnToMainWindow() {
    if (closed_) {
        return;
    }
    context_.module.mainReload = true;
    if (parts_.showMainWindow) {
        parts_.showMainWindow();
    }
    close();
}

void TrayWindow::openCommandLine(const QString& line) {
    if (line.isEmpty()) {
        return;
    }
    intake::InteractionReporter reporter(context_.interaction);
    intake::Intake intake(context_.module, context_.settings, extractor_, reporter);
    // The tray lists nothing; the main window shows the new entries when it opens again.
    context_.player.appendEntries(intake.addFiles(selectionFromCommandLine(line)));
}

void TrayWindow::stateChanged() {
    syncMenu();
}

void TrayWindow::syncMenu() {
    const player::TrayState& tray = context_.player.tray();
    playAction_->setEnabled(tray.playEnabled);
    pauseAction_->setEnabled(tray.pauseEnabled);
    stopAction_->setEnabled(tray.stopEnabled);
    prevAction_->setEnabled(tray.prevEnabled);
    const std::int16_t repeat = context_.player.repeatMode();
    for (std::size_t i = 0; i < repeatActions_.size(); ++i) {
        repeatActions_[i]->setChecked(static_cast<std::int16_t>(i) == repeat);
    }
}

void TrayWindow::closeEvent(QCloseEvent* event) {
    event->accept();
    if (closed_) {
        return;
    }
    closed_ = true;
    timer_.stop();
    popupMenu_->hide();
    icon_->hide();
    if (context_.module.mainReload) {
        if (parts_.raiseMainWindow) {
            parts_.raiseMainWindow();
        }
        context_.module.mainReload = false;
    } else if (parts_.saveConfig) {
        parts_.saveConfig();
    }
}

}  // namespace vesk::ui
