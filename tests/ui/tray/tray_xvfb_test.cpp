// The tray icon on a real X display: a private Xvfb with Debian's trayer as the tray
// host. The test program runs itself again on that display for the part that needs it,
// since one process has one Qt platform.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDeadlineTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTest>
#include <QWidget>

#include "tray_rig.h"

namespace vesk::ui::test {
namespace {

constexpr int kStartMs = 10000;

// A helper program that is always killed when the test ends, however it ends.
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

// The parent window of X window `id` as xwininfo reports it; empty when unknown.
QString xParent(WId id, bool* isRoot) {
    QProcess info;
    info.start(QStringLiteral("xwininfo"),
               {QStringLiteral("-tree"), QStringLiteral("-id"), QString::number(id)});
    if (!info.waitForFinished(kStartMs) || info.exitCode() != 0) {
        return {};
    }
    const QString out = QString::fromLocal8Bit(info.readAllStandardOutput());
    const QRegularExpressionMatch m =
        QRegularExpression(QStringLiteral("Parent window id: (0x[0-9a-f]+)(.*)")).match(out);
    if (!m.hasMatch()) {
        return {};
    }
    *isRoot = m.captured(2).contains(QStringLiteral("root window"));
    return m.captured(1);
}

QWidget* trayIconWidget() {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (QLatin1String(w->metaObject()->className()) == QLatin1String("QSystemTrayIconSys")) {
            return w;
        }
    }
    return nullptr;
}

// Run only by TrayXvfb below, on the Xvfb display with trayer running.
TEST(DISABLED_TrayXvfbChild, IconIsEmbedded) {
    if (QGuiApplication::platformName() != QLatin1String("xcb")) {
        GTEST_SKIP() << "needs the xcb platform";
    }
    QDeadlineTimer deadline(kStartMs);
    while (!QSystemTrayIcon::isSystemTrayAvailable() && !deadline.hasExpired()) {
        QTest::qWait(50);
    }
    ASSERT_TRUE(QSystemTrayIcon::isSystemTrayAvailable());

    TrayRig rig;
    ASSERT_TRUE(rig.started);
    rig.enterTray();
    ASSERT_TRUE(rig.inTray());
    bool embedded = false;
    QWidget* icon = nullptr;
    deadline.setRemainingTime(kStartMs);
    while (!embedded && !deadline.hasExpired()) {
        QTest::qWait(50);
        icon = trayIconWidget();
        bool isRoot = true;
        embedded = icon != nullptr && icon->isVisible() &&
                   !xParent(icon->winId(), &isRoot).isEmpty() && !isRoot;
    }
    ASSERT_TRUE(embedded) << "the icon was not reparented into the tray";
    EXPECT_GE(icon->width(), 16);
    EXPECT_GE(icon->height(), 16);
    EXPECT_EQ(rig.tray().icon().toolTip(), "VESK MIDI PLAYER");

    // Leaving the tray takes the icon out of it.
    rig.returnToMain();
    deadline.setRemainingTime(kStartMs);
    while (trayIconWidget() != nullptr && trayIconWidget()->isVisible() && !deadline.hasExpired()) {
        QTest::qWait(50);
    }
    QWidget* left = trayIconWidget();
    EXPECT_TRUE(left == nullptr || !left->isVisible());
}

TEST(TrayXvfb, IconIsEmbeddedByARealTrayHost) {
    const QString xvfb = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
    const QString trayer = QStandardPaths::findExecutable(QStringLiteral("trayer"));
    const QString xwininfo = QStandardPaths::findExecutable(QStringLiteral("xwininfo"));
    if (xvfb.isEmpty() || trayer.isEmpty() || xwininfo.isEmpty()) {
        GTEST_SKIP() << "needs Xvfb, trayer and xwininfo";
    }

    // Xvfb picks a free display itself and reports its number.
    Helper server;
    server.process.start(
        xvfb, {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
               QStringLiteral("0"), QStringLiteral("640x480x24"), QStringLiteral("-nolisten"),
               QStringLiteral("tcp")});
    QByteArray number;
    QDeadlineTimer deadline(kStartMs);
    while (!number.contains('\n') && !deadline.hasExpired() &&
           server.process.state() != QProcess::NotRunning) {
        server.process.waitForReadyRead(200);
        number += server.process.readAllStandardOutput();
    }
    if (!number.contains('\n')) {
        GTEST_SKIP() << "Xvfb did not start: " << server.process.readAllStandardError().data();
    }
    const QString display = u':' + QString::fromLatin1(number.trimmed());

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), display);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    // A desktop bus would send the icon to a status-notifier host instead of the tray.
    env.remove(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"));
    env.remove(QStringLiteral("QT_QPA_PLATFORMTHEME"));

    Helper host;
    host.process.setProcessEnvironment(env);
    host.process.start(trayer, {QStringLiteral("--edge"), QStringLiteral("bottom")});
    ASSERT_TRUE(host.process.waitForStarted(kStartMs));

    Helper child;
    child.process.setProcessEnvironment(env);
    child.process.setProcessChannelMode(QProcess::MergedChannels);
    child.process.start(QCoreApplication::applicationFilePath(),
                        {QStringLiteral("--gtest_also_run_disabled_tests"),
                         QStringLiteral("--gtest_filter=DISABLED_TrayXvfbChild.*")});
    const bool finished = child.process.waitForFinished(60000);
    const QByteArray output = child.process.readAll();
    ASSERT_TRUE(finished) << output.constData();
    EXPECT_EQ(child.process.exitCode(), 0) << output.constData();
    EXPECT_TRUE(output.contains("[  PASSED  ] 1 test")) << output.constData();
    EXPECT_TRUE(host.process.state() == QProcess::Running) << "trayer ended early";
}

}  // namespace
}  // namespace vesk::ui::test
