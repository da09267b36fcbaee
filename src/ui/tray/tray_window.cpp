#include "ui/tray/tray_window.h"

#include <QAction>
#include <QCloseEvent>
#include <QCursor>
#include <QLoggingCategory>
#include <QMenu>
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

QIcon F_6::trayIcon() {
    registerTrayArt();
    QIcon icon;
    // The small size has a picture of its own, drawn on the pixel grid.
    icon.addPixmap(renderSvg(QStringLiteral(":/vesk/tray/art/tray_16.svg"), 16));
    for (int size : {22, 24, 32, 48, 64}) {
        icon.addPixmap(renderSvg(QStringLiteral(":/vesk/tray/art/tray.svg"), size));
    }
    return icon;
}

F_6::F_6(TrayContext& context, F_6Parts parts)
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint),
      context_(context),
      parts_(std::move(parts)),
      ownExtractor_(context.module, context.settings),
      extractor_(context.extractor != nullptr ? *context.extractor : ownExtractor_) {
    setObjectName(QStringLiteral("F_6"));
    setWindowTitle(context.module.appTitle);
    const QIcon art = trayIcon();
    setWindowIcon(art);
    Tmr1_.setObjectName(QStringLiteral("Tmr1"));
    Tmr1_.setInterval(kTrayTickMs);
    connect(&Tmr1_, &QTimer::timeout, this, [this] { tick(); });
    buildMenu();
    icon_ = new QSystemTrayIcon(art, this);
    icon_->setObjectName(QStringLiteral("TrayIcon"));
    icon_->setToolTip(QString::fromUtf8(TrayTip));
    // No context menu is handed to the icon: the platform would open it on the button
    // press; the tray opens it itself when the icon reports a context-menu request.
    connect(icon_, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) { iconActivated(reason); });
}

F_6::~F_6() = default;

void F_6::buildMenu() {
    mnu_Main_ = new QMenu(QStringLiteral("PopUp Menu"), this);
    mnu_Main_->setObjectName(QStringLiteral("mnu_Main"));
    auto item = [](QMenu* menu, const char* name, const char* caption) {
        QAction* a = menu->addAction(QString::fromUtf8(caption));
        a->setObjectName(QString::fromLatin1(name));
        return a;
    };
    auto separator = [this](const char* name) {
        mnu_Main_->addSeparator()->setObjectName(QString::fromLatin1(name));
    };
    player::Player& core = context_.player;

    mnu_Play_ = item(mnu_Main_, "mnu_Play", "再生");
    mnu_Pause_ = item(mnu_Main_, "mnu_Pause", "一時停止");
    mnu_Stop_ = item(mnu_Main_, "mnu_Stop", "停止");
    separator("mnu_Sin0");
    mnu_Next_ = item(mnu_Main_, "mnu_Next", "次の曲");
    mnu_Back_ = item(mnu_Main_, "mnu_Back", "前の曲");
    mnu_Prev_ = item(mnu_Main_, "mnu_Prev", "頭出し");
    separator("mnu_Sin1");
    mnu_Repeat_ = mnu_Main_->addMenu(QStringLiteral("リピート"));
    mnu_Repeat_->setObjectName(QStringLiteral("mnu_Repeat"));
    const std::array<const char*, 4> repeatCaptions{"なし", "単曲", "全曲", "ｼｬｯﾌﾙ"};
    for (std::size_t i = 0; i < mnu_Crep_.size(); ++i) {
        const QByteArray name = "mnu_Crep" + QByteArray::number(static_cast<int>(i));
        mnu_Crep_[i] = item(mnu_Repeat_, name.constData(), repeatCaptions[i]);
        mnu_Crep_[i]->setCheckable(true);
        const auto mode = static_cast<std::int16_t>(i);
        connect(mnu_Crep_[i], &QAction::triggered, this, [this, mode] {
            context_.player.repeatCommand(mode);
            syncMenu();
        });
    }
    separator("mnu_Sin2");
    mnu_End_ = item(mnu_Main_, "mnu_End", "終了");

    mnu_Pause_->setEnabled(false);
    mnu_Stop_->setEnabled(false);

    // The player keeps the menu states in tray mode and reports them through stateChanged.
    connect(mnu_Play_, &QAction::triggered, this, [&core] { core.transportPlay(); });
    connect(mnu_Pause_, &QAction::triggered, this, [&core] { core.transportPause(); });
    connect(mnu_Stop_, &QAction::triggered, this, [&core] { core.transportStop(); });
    connect(mnu_Prev_, &QAction::triggered, this, [&core] { core.transportPrev(); });
    connect(mnu_Next_, &QAction::triggered, this, [&core] { core.transportNext(); });
    connect(mnu_Back_, &QAction::triggered, this, [&core] { core.transportBack(); });
    connect(mnu_End_, &QAction::triggered, this, [this] { close(); });
}

void F_6::load() {
    icon_->show();
    context_.player.enterTray(*this);
    if (parts_.closeMainWindow) {
        parts_.closeMainWindow();
    }
    context_.module.mainReload = false;
    syncMenu();
    if (parts_.runTimer) {
        Tmr1_.start();
    }
}

void F_6::tick() {
    context_.player.monitorTick(kTrayTickMs);
}

void F_6::iconActivated(QSystemTrayIcon::ActivationReason reason) {
    switch (reason) {
        case QSystemTrayIcon::DoubleClick:
            returnToMainWindow();
            break;
        case QSystemTrayIcon::Context:
            mnu_Main_->popup(QCursor::pos());
            break;
        default:
            break;
    }
}

void F_6::returnToMainWindow() {
    if (closed_) {
        return;
    }
    context_.module.mainReload = true;
    if (parts_.showMainWindow) {
        parts_.showMainWindow();
    }
    close();
}

void F_6::openCommandLine(const QString& line) {
    if (line.isEmpty()) {
        return;
    }
    intake::InteractionReporter reporter(context_.interaction);
    intake::Intake intake(context_.module, context_.settings, extractor_, reporter);
    const std::vector<intake::SongEntry> entries = intake.addFiles(selectionFromCommandLine(line));
    std::vector<intake::SongEntry>& list = context_.player.state().playList;
    const std::size_t room = static_cast<std::size_t>(player::kMaxEntries) -
                             std::min(list.size(), std::size_t{player::kMaxEntries});
    const std::size_t taken = std::min(room, entries.size());
    list.insert(list.end(), entries.begin(), entries.begin() + static_cast<std::ptrdiff_t>(taken));
    // The tray shows nothing; the main window lists the new entries when it opens again.
    if (taken < entries.size()) {
        qCWarning(lcTray) << "list full," << entries.size() - taken
                          << "handed-over entries left out";
    }
}

void F_6::stateChanged() {
    syncMenu();
}

void F_6::syncMenu() {
    const player::TrayState& tray = context_.player.tray();
    mnu_Play_->setEnabled(tray.playEnabled);
    mnu_Pause_->setEnabled(tray.pauseEnabled);
    mnu_Stop_->setEnabled(tray.stopEnabled);
    mnu_Prev_->setEnabled(tray.prevEnabled);
    const std::int16_t repeat = context_.player.repeatMode();
    for (std::size_t i = 0; i < mnu_Crep_.size(); ++i) {
        mnu_Crep_[i]->setChecked(static_cast<std::int16_t>(i) == repeat);
    }
}

void F_6::closeEvent(QCloseEvent* event) {
    event->accept();
    if (closed_) {
        return;
    }
    closed_ = true;
    Tmr1_.stop();
    mnu_Main_->hide();
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
