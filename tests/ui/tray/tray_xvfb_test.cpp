// The tray on real desktops, each on a private Xvfb with openbox: an X tray host (trayer)
// that embeds the icon and passes it the mouse, and a desktop that draws the icon itself
// and calls it over a private D-Bus session bus, as a panel does. The test program runs
// itself again on that display for the part that needs it, since one process has one Qt
// platform; the parent drives the panel's side.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDeadlineTimer>
#include <QMenu>
#include <QProcess>
#include <QRegularExpression>
#include <QScreen>
#include <QStandardPaths>
#include <QTest>
#include <QWidget>
#include <functional>

#include "tray_rig.h"
#include "ui/main/window_place.h"

namespace vesk::ui::test {
namespace {

constexpr int kStartMs = 10000;

// A helper program that is always stopped when the test ends, however it ends.
class Helper {
  public:
    ~Helper() {
        // Asked first, so that Xvfb removes its lock file and socket.
        if (process.state() != QProcess::NotRunning) {
            process.terminate();
            if (!process.waitForFinished(3000)) {
                process.kill();
                process.waitForFinished(3000);
            }
        }
    }
    QProcess process;
};

bool waitFor(const std::function<bool()>& done, int ms = kStartMs) {
    QDeadlineTimer deadline(ms);
    while (!done()) {
        if (deadline.hasExpired()) {
            return false;
        }
        QTest::qWait(20);
    }
    return true;
}

// What xwininfo tells of X window `id`.
QString xwininfo(const QStringList& args) {
    QProcess info;
    info.start("xwininfo", args);
    if (!info.waitForFinished(kStartMs) || info.exitCode() != 0) {
        return {};
    }
    return QString::fromLocal8Bit(info.readAllStandardOutput());
}

// True when a window manager or a tray host has taken `id` in.
bool reparented(WId id) {
    const QString out = xwininfo({"-tree", "-id", QString::number(id)});
    const QRegularExpressionMatch m =
        QRegularExpression("Parent window id: 0x[0-9a-f]+(.*)").match(out);
    return m.hasMatch() && !m.captured(1).contains("root window");
}

// Where the X server shows the top-left pixel of `id`, whatever Qt believes.
QPoint onScreen(WId id) {
    const QString out = xwininfo({"-id", QString::number(id)});
    const auto x = QRegularExpression("Absolute upper-left X:\\s+(-?\\d+)").match(out);
    const auto y = QRegularExpression("Absolute upper-left Y:\\s+(-?\\d+)").match(out);
    if (!x.hasMatch() || !y.hasMatch()) {
        return QPoint(-1, -1);
    }
    return QPoint(x.captured(1).toInt(), y.captured(1).toInt());
}

void xdotool(const QStringList& args) {
    QProcess tool;
    tool.start("xdotool", args);
    ASSERT_TRUE(tool.waitForFinished(kStartMs));
    ASSERT_EQ(tool.exitCode(), 0) << tool.readAllStandardError().constData();
}

QWidget* trayIconWidget() {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (QLatin1String(w->metaObject()->className()) == QLatin1String("QSystemTrayIconSys")) {
            return w;
        }
    }
    return nullptr;
}

// The whole screen into VESK_SCREENSHOT_DIR, when set.
void keepScreen(const char* name) {
    if (const QString dir = qEnvironmentVariable("VESK_SCREENSHOT_DIR"); !dir.isEmpty()) {
        QGuiApplication::primaryScreen()->grabWindow(0).save(dir + u'/' + QLatin1String(name));
    }
}

bool onXcbWithATray() {
    return QGuiApplication::platformName() == QLatin1String("xcb") &&
           waitFor([] { return QSystemTrayIcon::isSystemTrayAvailable(); });
}

// The main window is up and framed by the window manager.
bool mainWindowShown(TrayRig& rig) {
    return waitFor([&rig] {
        return !rig.inTray() && rig.main().isVisible() && reparented(rig.main().winId());
    });
}

// Run only by TrayXvfb below, with trayer as the tray.
TEST(DISABLED_TrayXvfbChild, EmbeddedIconAnswersTheMouseAndTheWindowKeepsItsPlace) {
    ASSERT_TRUE(onXcbWithATray());
    TrayRig rig;
    ASSERT_TRUE(rig.started);
    ASSERT_TRUE(mainWindowShown(rig));
    QTest::qWait(200);
    const QPoint client = onScreen(rig.main().winId());
    const QPoint frame = rig.main().pos();

    for (int trip = 1; trip <= 3; ++trip) {
        SCOPED_TRACE(trip);
        rig.enterTray();
        ASSERT_TRUE(rig.inTray());
        QWidget* icon = nullptr;
        ASSERT_TRUE(waitFor([&icon] {
            icon = trayIconWidget();
            return icon != nullptr && icon->isVisible() && reparented(icon->winId());
        })) << "the icon was not taken into the tray";
        EXPECT_GE(icon->width(), 16);
        const QPoint spot = onScreen(icon->winId()) + QPoint(icon->width(), icon->height()) / 2;
        xdotool({"mousemove", QString::number(spot.x()), QString::number(spot.y())});

        if (trip == 1) {
            // A single click may be the start of a double click: nothing yet.
            xdotool({"click", "1"});
            QTest::qWait(400);
            EXPECT_TRUE(rig.inTray());
            // The menu opens as the right button is let go, not as it goes down.
            QMenu& menu = rig.menu();
            xdotool({"mousedown", "3"});
            QTest::qWait(300);
            EXPECT_FALSE(menu.isVisible());
            xdotool({"mouseup", "3"});
            EXPECT_TRUE(waitFor([&menu] { return menu.isVisible(); }, 3000));
            EXPECT_TRUE(rig.inTray());
            keepScreen("tray_embedded_menu.png");
            menu.hide();
            QTest::qWait(100);
        }
        xdotool({"click", "--repeat", "2", "--delay", "80", "1"});
        ASSERT_TRUE(mainWindowShown(rig)) << "a double click did not bring the window back";
        // The window manager may still be moving it into place.
        waitFor([&] { return onScreen(rig.main().winId()) == client; }, 2000);
        EXPECT_EQ(onScreen(rig.main().winId()), client);
        EXPECT_EQ(rig.main().pos(), frame);
    }
    keepScreen("tray_round_trips.png");
    // The place kept for the file is where the window was at the start.
    rig.player->monitorTick(kTrayTickMs);
    EXPECT_EQ(rig.settings.left, toFileUnits(frame.x()));
    EXPECT_EQ(rig.settings.top, toFileUnits(frame.y()));
}

// Run only by TrayXvfb below, with the test's own StatusNotifier watcher on the bus. The
// parent calls ContextMenu once it reads "in-tray" and Activate once it reads "menu-shown".
TEST(DISABLED_TrayXvfbChild, DesktopDrawnIconAnswersThePanelsCalls) {
    ASSERT_TRUE(onXcbWithATray());
    TrayRig rig;
    ASSERT_TRUE(rig.started);
    ASSERT_TRUE(mainWindowShown(rig));
    rig.enterTray();
    ASSERT_TRUE(rig.inTray());
    EXPECT_EQ(trayIconWidget(), nullptr) << "the icon went to an X tray, not to the bus";
    std::printf("in-tray\n");
    std::fflush(stdout);
    QMenu& menu = rig.menu();
    ASSERT_TRUE(waitFor([&menu] { return menu.isVisible(); })) << "no menu on ContextMenu";
    EXPECT_TRUE(rig.inTray());
    keepScreen("tray_status_notifier_menu.png");
    menu.hide();
    std::printf("menu-shown\n");
    std::fflush(stdout);
    ASSERT_TRUE(mainWindowShown(rig)) << "Activate did not bring the window back";
}

// The watcher a desktop's panel runs: it takes the item's registration and tells that a
// host is there, which is what makes Qt show the icon over D-Bus.
class StatusNotifierWatcher : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")
    Q_PROPERTY(bool IsStatusNotifierHostRegistered READ hostRegistered)
    Q_PROPERTY(int ProtocolVersion READ protocolVersion)
    Q_PROPERTY(QStringList RegisteredStatusNotifierItems READ items)

  public:
    bool hostRegistered() const { return true; }
    int protocolVersion() const { return 0; }
    QStringList items() const { return items_; }

  public slots:
    // The names are the protocol's.
    void RegisterStatusNotifierItem(const QString& service) { items_.append(service); }
    void RegisterStatusNotifierHost(const QString&) {}

  signals:
    void StatusNotifierItemRegistered(const QString& service);
    void StatusNotifierHostRegistered();

  private:
    QStringList items_;
};

struct XSession {
    // Empty when all went well, else why the session could not start.
    QString start(bool withTray) {
        const QString xvfb = QStandardPaths::findExecutable("Xvfb");
        server.process.start(xvfb,
                             {"-displayfd", "1", "-screen", "0", "640x480x24", "-nolisten", "tcp"});
        QByteArray number;
        QDeadlineTimer deadline(kStartMs);
        while (!number.contains('\n') && !deadline.hasExpired() &&
               server.process.state() != QProcess::NotRunning) {
            server.process.waitForReadyRead(200);
            number += server.process.readAllStandardOutput();
        }
        if (!number.contains('\n')) {
            return "Xvfb did not start: " +
                   QString::fromLocal8Bit(server.process.readAllStandardError());
        }
        env = QProcessEnvironment::systemEnvironment();
        env.insert("DISPLAY", u':' + QString::fromLatin1(number.trimmed()));
        env.insert("QT_QPA_PLATFORM", "xcb");
        env.remove("DBUS_SESSION_BUS_ADDRESS");
        env.remove("QT_QPA_PLATFORMTHEME");
        env.remove("XDG_CURRENT_DESKTOP");
        windowManager.process.setProcessEnvironment(env);
        windowManager.process.start("openbox", {});
        if (!windowManager.process.waitForStarted(kStartMs)) {
            return "openbox did not start";
        }
        if (withTray) {
            tray.process.setProcessEnvironment(env);
            tray.process.start("trayer", {"--edge", "bottom"});
            if (!tray.process.waitForStarted(kStartMs)) {
                return "trayer did not start";
            }
        }
        return {};
    }

    // Starts this program again on the display for the child test `name`.
    void startChild(const char* name) {
        child.process.setProcessEnvironment(env);
        QStringList args{"--gtest_also_run_disabled_tests",
                         QString("--gtest_filter=DISABLED_TrayXvfbChild.") + QLatin1String(name)};
        child.process.start(QCoreApplication::applicationFilePath(), args);
    }

    // Waits for the child's end, serving the bus meanwhile; its output for the report.
    QByteArray finishChild() {
        waitFor([this] { return child.process.state() == QProcess::NotRunning; }, 60000);
        output += child.process.readAllStandardOutput() + child.process.readAllStandardError();
        return output;
    }

    // Waits for a line of the child's, serving the bus meanwhile.
    bool childSays(const QByteArray& line) {
        return waitFor([&] {
                   output += child.process.readAllStandardOutput();
                   return output.contains(line + '\n') ||
                          child.process.state() == QProcess::NotRunning;
               }) &&
               output.contains(line + '\n');
    }

    QProcessEnvironment env;
    // Stopped in reverse: the child, the desktop's programs, then the server.
    Helper server;
    Helper windowManager;
    Helper tray;
    Helper bus;
    Helper child;
    QByteArray output;
};

bool haveTools(const QStringList& tools, std::string* missing) {
    for (const QString& tool : tools) {
        if (QStandardPaths::findExecutable(tool).isEmpty()) {
            *missing = "needs " + tools.join(u' ').toStdString() + "; " + tool.toStdString() +
                       " is missing";
            return false;
        }
    }
    return true;
}

void expectPassed(XSession& session) {
    const QByteArray output = session.finishChild();
    EXPECT_EQ(session.child.process.exitStatus(), QProcess::NormalExit) << output.constData();
    EXPECT_EQ(session.child.process.exitCode(), 0) << output.constData();
    EXPECT_TRUE(output.contains("[  PASSED  ] 1 test")) << output.constData();
}

TEST(TrayXvfb, EmbeddedInAnXTrayWithAWindowManager) {
    std::string missing;
    if (!haveTools({"Xvfb", "openbox", "trayer", "xwininfo", "xdotool"}, &missing)) {
        GTEST_SKIP() << missing;
    }
    XSession session;
    const QString failed = session.start(true);
    ASSERT_TRUE(failed.isEmpty()) << failed.toStdString();
    session.startChild("EmbeddedIconAnswersTheMouseAndTheWindowKeepsItsPlace");
    expectPassed(session);
    EXPECT_EQ(session.tray.process.state(), QProcess::Running) << "trayer ended early";
}

TEST(TrayXvfb, DrawnByTheDesktopThroughAStatusNotifierWatcher) {
    std::string missing;
    if (!haveTools({"Xvfb", "openbox", "xwininfo", "dbus-daemon"}, &missing)) {
        GTEST_SKIP() << missing;
    }
    XSession session;
    const QString failed = session.start(false);
    ASSERT_TRUE(failed.isEmpty()) << failed.toStdString();

    session.bus.process.start("dbus-daemon", {"--session", "--nofork", "--print-address=1"});
    QByteArray address;
    ASSERT_TRUE(waitFor([&] {
        address += session.bus.process.readAllStandardOutput();
        return address.contains('\n') || session.bus.process.state() == QProcess::NotRunning;
    }));
    address = address.trimmed();
    ASSERT_FALSE(address.isEmpty()) << "dbus-daemon gave no address";
    const QString busName = "panel";
    QDBusConnection bus = QDBusConnection::connectToBus(QString::fromLatin1(address), busName);
    ASSERT_TRUE(bus.isConnected()) << bus.lastError().message().toStdString();
    StatusNotifierWatcher watcher;
    ASSERT_TRUE(bus.registerObject("/StatusNotifierWatcher", &watcher,
                                   QDBusConnection::ExportAllSlots |
                                       QDBusConnection::ExportAllProperties |
                                       QDBusConnection::ExportAllSignals));
    ASSERT_TRUE(bus.registerService("org.kde.StatusNotifierWatcher"));

    session.env.insert("DBUS_SESSION_BUS_ADDRESS", QString::fromLatin1(address));
    session.startChild("DesktopDrawnIconAnswersThePanelsCalls");
    auto callItem = [&](const char* method) {
        QDBusMessage call =
            QDBusMessage::createMethodCall(watcher.items().value(0), "/StatusNotifierItem",
                                           "org.kde.StatusNotifierItem", QLatin1String(method));
        call << 20 << 460;
        // Asynchronous, so that this process goes on serving the bus meanwhile.
        return bus.asyncCall(call);
    };
    ASSERT_TRUE(session.childSays("in-tray")) << session.finishChild().constData();
    ASSERT_TRUE(waitFor([&] { return !watcher.items().isEmpty(); })) << "the item never registered";
    callItem("ContextMenu");
    ASSERT_TRUE(session.childSays("menu-shown")) << session.finishChild().constData();
    callItem("Activate");
    expectPassed(session);
    QDBusConnection::disconnectFromBus(busName);
}

}  // namespace
}  // namespace vesk::ui::test

#include "tray_xvfb_test.moc"
