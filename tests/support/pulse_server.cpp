#include "support/pulse_server.h"

#include <sys/types.h>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QThread>
#include <algorithm>
#include <csignal>

namespace vesk::test {

namespace {

constexpr auto kSink = "vesktest";

// Ends a child by its pid and reaps it; a child that ignores SIGTERM gets SIGKILL.
void endProcess(QProcess& process) {
    if (process.state() == QProcess::NotRunning) {
        return;
    }
    ::kill(static_cast<pid_t>(process.processId()), SIGTERM);
    if (!process.waitForFinished(3000)) {
        ::kill(static_cast<pid_t>(process.processId()), SIGKILL);
        process.waitForFinished(3000);
    }
}

}  // namespace

std::unique_ptr<PulseServer> PulseServer::start(QString& whyNot) {
    const QString daemon = QStandardPaths::findExecutable(QStringLiteral("pulseaudio"));
    const QString pactl = QStandardPaths::findExecutable(QStringLiteral("pactl"));
    if (daemon.isEmpty() || pactl.isEmpty() ||
        QStandardPaths::findExecutable(QStringLiteral("parec")).isEmpty()) {
        whyNot = QStringLiteral(
            "no sound server here: pulseaudio or pulseaudio-utils is not "
            "installed (scripts/install-deps.sh installs them)");
        return nullptr;
    }
    std::unique_ptr<PulseServer> server(new PulseServer);
    if (!server->dir_.isValid()) {
        whyNot = QStringLiteral("no sound server here: no temporary folder");
        return nullptr;
    }
    server->daemon_ = std::make_unique<QProcess>();
    server->daemon_->setProcessEnvironment(server->environment());
    server->daemon_->setProcessChannelMode(QProcess::MergedChannels);
    QStringList args{QStringLiteral("--daemonize=no"), QStringLiteral("--exit-idle-time=-1"),
                     QStringLiteral("-n"),
                     QStringLiteral("--load=module-null-sink sink_name=%1").arg(kSink),
                     QStringLiteral("--load=module-native-protocol-unix")};
    // The daemon moves client data on its main thread, which a busy machine delays past
    // the output's few milliseconds of buffer; as real-time it measures the player, not
    // the machine's load. Where real-time is not allowed it runs as it is.
    const QString chrt = QStandardPaths::findExecutable(QStringLiteral("chrt"));
    const QStringList realTime{QStringLiteral("-r"), QStringLiteral("10")};
    if (!chrt.isEmpty() && QProcess::execute(chrt, realTime + QStringList{"true"}) == 0) {
        server->daemon_->start(chrt, realTime + QStringList{daemon} + args);
    } else {
        server->daemon_->start(daemon, args);
    }
    if (!server->daemon_->waitForStarted(5000)) {
        whyNot = QStringLiteral("no sound server here: pulseaudio does not start");
        return nullptr;
    }
    // The daemon is ready once pactl gets an answer from it.
    for (int attempt = 0; attempt < 50; ++attempt) {
        QProcess probe;
        probe.setProcessEnvironment(server->environment());
        probe.start(pactl, {QStringLiteral("info")});
        if (probe.waitForFinished(2000) && probe.exitStatus() == QProcess::NormalExit &&
            probe.exitCode() == 0) {
            return server;
        }
        if (server->daemon_->state() == QProcess::NotRunning) {
            break;
        }
        QThread::msleep(100);
    }
    const QByteArray said = server->daemon_->readAll().trimmed();
    whyNot = QStringLiteral("no sound server here: pulseaudio does not answer (%1)")
                 .arg(QString::fromLocal8Bit(said.split('\n').last()));
    return nullptr;
}

PulseServer::~PulseServer() {
    if (recorder_) {
        endProcess(*recorder_);
    }
    if (daemon_) {
        endProcess(*daemon_);
    }
}

QProcessEnvironment PulseServer::environment() const {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), dir_.path());
    // The daemon keeps its cookie under HOME; a private one keeps the user's untouched.
    env.insert(QStringLiteral("HOME"), dir_.path());
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir_.path() + QStringLiteral("/config"));
    env.remove(QStringLiteral("PULSE_SERVER"));
    env.remove(QStringLiteral("PIPEWIRE_RUNTIME_DIR"));
    env.insert(QStringLiteral("PULSE_SINK"), QString::fromLatin1(kSink));
    return env;
}

bool PulseServer::startRecording() {
    rawPath_ = dir_.filePath(QStringLiteral("monitor.raw"));
    QFile::remove(rawPath_);
    recorder_ = std::make_unique<QProcess>();
    recorder_->setProcessEnvironment(environment());
    recorder_->setStandardOutputFile(rawPath_);
    recorder_->start(
        QStandardPaths::findExecutable(QStringLiteral("parec")),
        {QStringLiteral("-d"), QStringLiteral("%1.monitor").arg(kSink), QStringLiteral("--raw"),
         QStringLiteral("--format=s16le"), QStringLiteral("--rate=%1").arg(kRate),
         QStringLiteral("--channels=2"), QStringLiteral("--latency-msec=20")});
    if (!recorder_->waitForStarted(5000)) {
        return false;
    }
    // Connected, parec's low latency request also wakes the idle sink, which would
    // otherwise hold a new stream's first period back for its default two seconds.
    QThread::msleep(300);
    return true;
}

std::vector<float> PulseServer::stopRecording() {
    std::vector<float> mono;
    if (!recorder_) {
        return mono;
    }
    endProcess(*recorder_);
    recorder_.reset();
    QFile file(rawPath_);
    if (!file.open(QIODevice::ReadOnly)) {
        return mono;
    }
    const QByteArray bytes = file.readAll();
    const auto* samples = reinterpret_cast<const std::int16_t*>(bytes.constData());
    const qsizetype frames = bytes.size() / 4;
    mono.reserve(static_cast<std::size_t>(frames));
    for (qsizetype i = 0; i < frames; ++i) {
        const int sum = samples[2 * i] + samples[2 * i + 1];
        mono.push_back(std::clamp(static_cast<float>(sum) / 32768.0f, -1.0f, 1.0f));
    }
    return mono;
}

}  // namespace vesk::test
