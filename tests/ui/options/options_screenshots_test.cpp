// The options dialog in the program's look, each page drawn for review
// (VESK_SCREENSHOT_DIR, as `make screenshots` sets it).
#include <gtest/gtest.h>

#include <QListWidget>
#include <QWidget>

#include "options_rig.h"
#include "support/program_look.h"
#include "ui/options/options_dialog.h"

namespace vesk::ui {
namespace {

TEST(OptionsScreenshots, EveryPageIsDarkLikeTheMainWindow) {
    test::ProgramLook look;
    config::Settings settings;
    config::ModuleState module;
    test::NamedMidiOutput midi{{QStringLiteral("FluidSynth"), QStringLiteral("Roland SC-88")}};
    platform::RecordingInteraction interaction;
    test::MemoryAssociationStore store;
    test::ScriptedChoosers choosers;
    QWidget mainWindow;
    OptionsDialog dialog(OptionsContext{settings, module, midi, interaction, store, choosers},
                         &mainWindow);
    dialog.load();
    auto* pages = dialog.findChild<QListWidget*>("Lst_Menu");
    ASSERT_NE(pages, nullptr);
    const QString dir = qEnvironmentVariable("VESK_SCREENSHOT_DIR");
    for (int page = 0; page < pages->count(); ++page) {
        pages->setCurrentRow(page);
        const QPixmap picture = dialog.grab();
        const auto [dark, light] = test::darkAndLight(picture);
        EXPECT_GT(dark, 0.6) << page;
        EXPECT_GT(light, 0.005) << page;
        if (!dir.isEmpty()) {
            picture.save(dir + QStringLiteral("/options_page%1.png").arg(page + 1));
        }
    }
}

}  // namespace
}  // namespace vesk::ui
