#include "app/component_probe.h"

#include "intake/archive_probe.h"
#include "intake/rcp/rcp_converter.h"

namespace vesk::app {

ComponentProbes installedComponents() {
    ComponentProbes probes;
    probes.unlha32 = intake::probeLzhReader;
    probes.unzip32 = intake::probeZipReader;
    probes.unrar = intake::probeRarReader;
    // The Recomposer converter is the project's own and always built in.
    probes.rcpcv = [] {
        // A short credit: the version window's line has room for a word after the number.
        const intake::RcpConverterVersion v = intake::rcpConverterVersion();
        return std::optional<config::ComponentVersion>(config::ComponentVersion{
            QStringLiteral("%1.%2").arg(v.major).arg(v.minor), QStringLiteral("built-in")});
    };
    return probes;
}

QString versionText(const config::ComponentVersion& version) {
    QString text = QStringLiteral("Ver ") + version.number;
    if (text.size() == 7) {
        text += u'0';
    }
    return text + QStringLiteral("  ") + version.credit;
}

QString hundredthsText(int hundredths) {
    return QString::number(static_cast<double>(hundredths) / 100.0, 'g', 10);
}

QString componentVersion(const QString& name, const ComponentProbes& probes) {
    const ComponentProbe* probe = nullptr;
    if (name == u"UNLHA32") {
        probe = &probes.unlha32;
    } else if (name == u"UNZIP32") {
        probe = &probes.unzip32;
    } else if (name == u"UNRAR") {
        probe = &probes.unrar;
    } else if (name == u"RCPCV") {
        probe = &probes.rcpcv;
    } else {
        return {};
    }
    std::optional<config::ComponentVersion> found = *probe ? (*probe)() : std::nullopt;
    return found ? versionText(*found) : QLatin1String(NotInstalled);
}

void probeComponents(config::ModuleState& module, const ComponentProbes& probes) {
    const QString notInstalled = QLatin1String(NotInstalled);
    module.haveLzhReader = componentVersion(QStringLiteral("UNLHA32"), probes) != notInstalled;
    module.haveZipReader = componentVersion(QStringLiteral("UNZIP32"), probes) != notInstalled;
    module.haveRarReader = componentVersion(QStringLiteral("UNRAR"), probes) != notInstalled;
    module.haveRcpConverter = componentVersion(QStringLiteral("RCPCV"), probes) != notInstalled;
}

}  // namespace vesk::app
