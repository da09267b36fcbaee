#pragma once
// The version texts of the optional components (archive readers and the Recomposer
// converter), as the version window shows them, and whether each is usable.

#include <QString>
#include <functional>
#include <optional>

#include "config/component_version.h"
#include "config/module_state.h"

namespace vesk::app {

inline constexpr char NotInstalled[] = "NOT INSTALLED";

using ComponentProbe = std::function<std::optional<config::ComponentVersion>()>;

// One probe per component; an empty probe or one that finds nothing is "NOT INSTALLED".
struct ComponentProbes {
    ComponentProbe unlha32;
    ComponentProbe unzip32;
    ComponentProbe unrar;
    ComponentProbe rcpcv;
};

// The probes of the components this build has.
ComponentProbes installedComponents();

// "Ver " + number, a "0" appended when that is 7 characters long, two spaces, the credit.
QString versionText(const config::ComponentVersion& version);

// A version kept in hundredths, in its shortest decimal form: 191 "1.91", 190 "1.9", 200 "2".
QString hundredthsText(int hundredths);

// `name` is "UNLHA32", "UNZIP32", "UNRAR" or "RCPCV"; any other name gives "".
QString componentVersion(const QString& name, const ComponentProbes& probes);

// Probes the four components in their order and sets the availability flags.
void probeComponents(config::ModuleState& module, const ComponentProbes& probes);

}  // namespace vesk::app
