#include "app/main_procedure.h"

#include <unistd.h>

#include <QApplication>
#include <QDBusConnection>
#include <QDir>
#include <QLoggingCategory>
#include <QSystemTrayIcon>
#include <QTextStream>
#include <cstdio>

#include "app/app_services.h"
#include "app/build_number.h"
#include "app/component_probe.h"
#include "app/qt_translations.h"
#include "app/quit_signals.h"
#include "app/tools/tools.h"
#include "app/work_folder.h"
#include "config/config_file.h"
#include "config/module_state.h"
#include "config/settings.h"
#include "platform/desktop/freedesktop_store.h"
#include "platform/file_path.h"
#include "platform/folders.h"
#include "platform/handoff.h"
#include "platform/single_instance.h"
#include "ui/channels/channel_window.h"
#include "ui/common/dark_look.h"
#include "ui/common/qt_user_interaction.h"
#include "ui/host/window_host.h"
#include "ui/lyrics/lyrics_window.h"
#include "ui/main/main_window.h"
#include "ui/mpris/mpris_service.h"
#include "ui/options/option_choosers.h"
#include "ui/options/options_dialog.h"

Q_LOGGING_CATEGORY(lcStartup, "vesk.startup")

namespace vesk::app {
namespace {

bool haveDisplay() {
    return !qEnvironmentVariableIsEmpty("DISPLAY") ||
           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ||
           !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
}

// The dark look and Qt's own texts in Japanese, before any window.
void dressApplication() {
    ui::applyDarkLook();
    installQtTranslations(qtTranslationsFolder());
}

// Start-up cannot go on; said on the terminal, and in a message box when there is a screen.
int refuseToStart(int argc, char** argv, const QString& text) {
    std::fprintf(stderr, "veskmidi: %s\n", text.toLocal8Bit().constData());
    if (haveDisplay()) {
        QApplication app(argc, argv);
        dressApplication();
        ui::QtUserInteraction(QStringLiteral("VESK MIDI PLAYER"))
            .showMessage(text, platform::MessageIcon::Critical);
    }
    return 1;
}

}  // namespace

int run(int argc, char** argv) {
    // Traces (every sequencer command) only when asked for with QT_LOGGING_RULES;
    // warnings always reach the terminal.
    QLoggingCategory::setFilterRules(QStringLiteral("vesk.*.debug=false\nvesk.*.info=false"));
    // File names are bytes: each argument keeps all of its own (see file_path.h).
    QStringList args;
    for (int i = 1; i < argc; ++i) {
        args << platform::pathFromBytes(QByteArray(argv[i]));
    }
    if (!args.isEmpty() && args.first().startsWith(QStringLiteral("--"))) {
        QTextStream out(stdout);
        QTextStream err(stderr);
        return runTool(args, out, err);
    }

    config::ModuleState module;
    // A second instance runs in another folder than the player it hands to: paths go
    // absolute, each as one quoted path.
    for (const QString& arg : args) {
        module.commandText << u'"' + platform::absolutePath(arg) + u'"';
    }

    const WorkFolderResult work = prepareWorkFolder(runtimeBase());
    if (work.path.isEmpty()) {
        return refuseToStart(argc, argv, work.error);
    }
    module.workFolder = work.path;
    module.handoffFolder = module.workFolder + QStringLiteral("FileNames");
    repairWorkFolder(module.workFolder);

    QString lockError;
    std::unique_ptr<platform::InstanceLock> lock = platform::InstanceLock::tryAcquire(
        module.workFolder + QStringLiteral("Lock/instance.lock"), &lockError);
    if (!lock) {
        if (!lockError.isEmpty()) {
            return refuseToStart(argc, argv, lockError);
        }
        const platform::HandoffClock clock = platform::systemHandoffClock();
        for (const QString& text : module.commandText) {
            if (platform::writeHandoffFile(module.handoffFolder, text, clock).isEmpty()) {
                std::fprintf(stderr, "veskmidi: cannot hand %s to the running player\n",
                             platform::pathBytes(text).constData());
                return 1;
            }
        }
        return 0;
    }

    if (!haveDisplay()) {
        std::fprintf(stderr,
                     "veskmidi: no display here (DISPLAY and WAYLAND_DISPLAY are unset); "
                     "use veskmidi --help for the tools that need none\n");
        return 1;
    }
    QApplication app(argc, argv);
    dressApplication();
    module.appVersion = QStringLiteral("Ver %1.%2")
                            .arg(PROJECT_VERSION_MAJOR_VALUE)
                            .arg(PROJECT_VERSION_MINOR_VALUE);
    cleanWorkFolder(module.workFolder);
    module.programFolder = platform::executableFolder();
    module.configPath = config::chooseConfigPath(module.programFolder, config::userConfigFolder());
    // An installed player started for the first time with no file plays its demo list, as
    // `make run` does from the source folder.
    const QString installedData = platform::installedDataFolder(module.programFolder);
    const QString demoList = installedData + QStringLiteral("demo/demo.mlt");
    if (args.isEmpty() && !installedData.isEmpty() && !QFileInfo::exists(module.configPath) &&
        QFileInfo::exists(demoList)) {
        module.commandText << u'"' + demoList + u'"';
    }

    const ComponentProbes probes = installedComponents();
    probeComponents(module, probes);
    qCInfo(lcStartup) << "work folder" << module.workFolder << "configuration" << module.configPath;

    config::Settings settings;
    ui::QtUserInteraction interaction(module.appTitle);
    AppServices services(module, settings, interaction);
    ui::MainWindowContext context{module, settings, interaction, services.player()};
    context.applySynthesizerSettings = [&services] { services.applySynthesizerSettings(); };
    context.extractor = &services.extractor();
    ui::LyricsWindow lyrics(services.player(), settings);
    context.showLyrics = [&lyrics](bool shown) { lyrics.setShown(shown); };
    ui::ChannelWindow channels(services.player(), settings);
    context.showChannels = [&channels](bool shown) { channels.setShown(shown); };
    platform::desktop::FreedesktopAssociationStore associations(
        platform::desktop::DesktopFolders::fromEnvironment(),
        QCoreApplication::applicationFilePath());
    ui::QtOptionChoosers choosers;
    const ui::OptionsContext optionsContext{
        settings, module, services.midiOutput(), interaction, associations, choosers, [&services] {
            services.applySynthesizerSettings();
        }};
    context.showOptions = [&optionsContext](QWidget* mainWindow) {
        ui::OptionsDialog::open(optionsContext, mainWindow);
    };
    context.version.appTitle = module.appTitle;
    context.version.appVersion = module.appVersion;
    context.version.revision = buildNumber();
    for (std::size_t i = 0; i < ui::ComponentNames.size(); ++i) {
        context.version.components[i] =
            componentVersion(QString::fromLatin1(ui::ComponentNames[i]), probes);
    }
    // The main window goes away in tray mode without ending the program; quitting is its
    // own decision.
    app.setQuitOnLastWindowClosed(false);
    ui::WindowHost::Options windows;
    windows.trayAvailable = QSystemTrayIcon::isSystemTrayAvailable();
    ui::WindowHost host(context, std::move(windows));
    if (!host.start()) {
        return 1;
    }
    ui::mpris::MprisService mpris(services.player(),
                                  {[&host] { host.raise(); }, [&host] { host.quit(); }},
                                  QString::fromLatin1(platform::desktop::PlayerDesktopName));
    QString busError;
    if (!mpris.attach(QDBusConnection::sessionBus(), &busError)) {
        qCWarning(lcStartup).noquote()
            << "media keys and desktop media controls are off:" << busError;
    }
    // Signals and the end of the desktop session quit through the window's own quit.
    const QuitSignals quitSignals([&host] {
        if (ui::MainWindow* window = host.mainWindow()) {
            window->saveConfig();
        } else {
            QCoreApplication::quit();
        }
    });
    const int status = app.exec();
    cleanWorkFolder(module.workFolder);
    return status;
}

}  // namespace vesk::app
