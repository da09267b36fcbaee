// The options dialog's opening steps, reactions and cascades, driven like a user would.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QFileInfo>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStackedWidget>
#include <QWindow>

#include "options_rig.h"
#include "support/temp_dir.h"
#include "ui/options/options_dialog.h"

namespace vesk::ui {
namespace {

using platform::MessageAnswer;
using platform::MessageIcon;
using platform::desktop::AddedEntry;
using platform::desktop::BackupEntry;

constexpr char KeywordMissing[] = "音源Bのキーワードが設定されていません。";
constexpr char RegistryFailed[] = "レジストリの設定に失敗しました。レジストリ操作を中断します";
const QString GsCode = QStringLiteral("F0 41 10 42 12 40 00 7F 00 41 F7");
const QString XgCode = QStringLiteral("F0 43 10 4C 00 00 7E 00 F7");

class DialogRig : public ::testing::Test {
  protected:
    void open() {
        dialog = std::make_unique<OptionsDialog>(
            OptionsContext{settings, module, midi, interaction, store, choosers,
                           [this] { ++synthApplied; }},
            &mainWindow);
        dialog->load();
    }

    template <typename W>
    W* find(const QString& name) const {
        W* widget = dialog->findChild<W*>(name);
        EXPECT_NE(widget, nullptr) << name.toStdString();
        return widget;
    }
    QComboBox* combo(const QString& name) const { return find<QComboBox>(name); }
    QLineEdit* edit(const QString& name) const { return find<QLineEdit>(name); }
    QCheckBox* box(const QString& name) const { return find<QCheckBox>(name); }
    void click(const char* button) const { find<QPushButton>(QLatin1String(button))->click(); }
    void choose(const QString& comboName, int index) const {
        QComboBox* c = combo(comboName);
        c->setCurrentIndex(index);
        emit c->activated(index);
    }
    QListWidgetItem* row(int r) const { return find<QListWidget>("lst_Kanren")->item(r); }
    QStringList messages() const {
        QStringList texts;
        for (const auto& shown : interaction.shown) {
            texts.append(shown.text);
        }
        return texts;
    }

    config::Settings settings;
    config::ModuleState module;
    test::NamedMidiOutput midi{{QStringLiteral("FluidSynth"), QStringLiteral("Roland SC-88"),
                                QStringLiteral("YAMAHA MU128"), QStringLiteral("USB MIDI")}};
    platform::RecordingInteraction interaction;
    test::MemoryAssociationStore store;
    test::ScriptedChoosers choosers;
    QWidget mainWindow;
    int synthApplied = 0;
    std::unique_ptr<OptionsDialog> dialog;
};

TEST_F(DialogRig, InitialControlsBeforeOpening) {
    dialog = std::make_unique<OptionsDialog>(
        OptionsContext{settings, module, midi, interaction, store, choosers}, &mainWindow);
    EXPECT_EQ(dialog->windowTitle(), "オプション");
    for (const char* name : {"Label4", "Label5", "Label6"}) {
        EXPECT_FALSE(find<QLabel>(name)->isEnabled()) << name;
    }
    for (const char* name : {"DevB_Key", "txt_Reset(1)", "txt_Reset(0)", "txt_Lhasa"}) {
        EXPECT_FALSE(edit(name)->isEnabled()) << name;
    }
    EXPECT_FALSE(combo("cmb_Dev(1)")->isEnabled());
    EXPECT_FALSE(combo("cmb_Rtype(1)")->isEnabled());
    EXPECT_FALSE(find<QPushButton>("B_Lhasa")->isEnabled());
    EXPECT_EQ(combo("cmb_Rtype(0)")->currentIndex(), -1);
    EXPECT_EQ(edit("txt_Lhasa")->text(), "/usr/bin/lha");
    EXPECT_TRUE(mainWindow.isEnabled());
}

TEST_F(DialogRig, OpeningFillsTheDevicesAndBlocksTheMainWindowUntilClosed) {
    open();
    QComboBox* devA = combo("cmb_Dev(0)");
    ASSERT_EQ(devA->count(), 5);
    EXPECT_EQ(devA->itemText(0), "Default output");
    EXPECT_EQ(devA->itemText(2), "Roland SC-88");
    EXPECT_EQ(combo("cmb_Dev(1)")->count(), 5);
    EXPECT_EQ(devA->currentIndex(), 0) << "device -1 is position 0";
    EXPECT_EQ(interaction.eventRuns, 1);
    EXPECT_FALSE(mainWindow.isEnabled());
    EXPECT_EQ(find<QListWidget>("Lst_Menu")->count(), 4);
    find<QListWidget>("Lst_Menu")->setCurrentRow(2);
    EXPECT_EQ(find<QStackedWidget>(QString())->currentWidget()->objectName(), "FrameK");
    dialog->close();
    EXPECT_TRUE(mainWindow.isEnabled());
}

TEST_F(DialogRig, WithoutDevicesOnlyTheDefaultOutputIsListed) {
    midi = test::NamedMidiOutput({});
    settings.deviceSlots[0].device = 3;
    open();
    EXPECT_EQ(combo("cmb_Dev(0)")->count(), 1);
    EXPECT_EQ(combo("cmb_Dev(0)")->currentIndex(), -1) << "a device that is gone";
    click("B_Accept");
    EXPECT_EQ(settings.deviceSlots[0].device, -2);
}

TEST_F(DialogRig, ResetTypesPutTheirCodesAndKeywords) {
    settings.useDeviceB = true;
    open();
    const QStringList codes{"F0 7E 7F 09 01 F7", GsCode, XgCode, "F0 F7", ""};
    const QStringList keys{"GM", "GS,SC,Roland", "XG,MU,YAMAHA", "", ""};
    for (int t = 0; t < 5; ++t) {
        choose("cmb_Rtype(0)", t);
        EXPECT_EQ(edit("txt_Reset(0)")->text(), codes[t]) << t;
        EXPECT_EQ(edit("txt_Reset(0)")->isEnabled(), t == 3) << t;
        choose("cmb_Rtype(1)", t);
        EXPECT_EQ(edit("txt_Reset(1)")->text(), codes[t]) << t;
        EXPECT_EQ(edit("DevB_Key")->text(), keys[t]) << t;
    }
    EXPECT_EQ(combo("cmb_Rtype(0)")->itemText(3), "その他");
}

TEST_F(DialogRig, DeviceNamesPickTheirResetType) {
    midi = test::NamedMidiOutput({"roland sc", "MUSIC box", "XG GS both", "SCSI", "Plain"});
    settings.useDeviceB = true;
    open();
    const std::vector<std::pair<int, int>> expected{
        {1, 0}, {2, 2}, {3, 1}, {4, 1}, {5, 1}};  // position -> type after choosing
    choose("cmb_Rtype(1)", 0);
    for (auto [position, type] : expected) {
        choose("cmb_Dev(1)", position);
        EXPECT_EQ(combo("cmb_Rtype(1)")->currentIndex(), type) << position;
    }
    choose("cmb_Dev(1)", 2);
    EXPECT_EQ(edit("txt_Reset(1)")->text(), XgCode);
    EXPECT_EQ(edit("DevB_Key")->text(), "XG,MU,YAMAHA");
}

TEST_F(DialogRig, StoredDeviceOverridesTheStoredTypeButKeepsDeviceBKeywords) {
    settings.deviceSlots[0] = {QString(), QStringLiteral("F0 F7"), 3, 1};
    settings.useDeviceB = true;
    settings.deviceSlots[1] = {QStringLiteral("mine"), QStringLiteral("F0 7E 7F 09 01 F7"), 0, 2};
    open();
    EXPECT_EQ(combo("cmb_Rtype(0)")->currentIndex(), 1);
    EXPECT_EQ(edit("txt_Reset(0)")->text(), GsCode);
    EXPECT_FALSE(edit("txt_Reset(0)")->isEnabled());
    EXPECT_EQ(combo("cmb_Rtype(1)")->currentIndex(), 2);
    EXPECT_EQ(edit("DevB_Key")->text(), "mine");
    EXPECT_TRUE(edit("txt_Reset(1)")->isEnabled()) << "device B's code is always editable";
    edit("txt_Reset(1)")->setText("F0 zz");
    click("B_Ok");
    EXPECT_EQ(settings.deviceSlots[0].resetType, 1);
    EXPECT_EQ(settings.deviceSlots[0].resetCode, GsCode);
    EXPECT_EQ(settings.deviceSlots[1].resetType, 2);
    EXPECT_EQ(settings.deviceSlots[1].resetCode, "F0 zz");
    EXPECT_EQ(settings.deviceSlots[1].keywords, "mine");
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_TRUE(mainWindow.isEnabled());
}

TEST_F(DialogRig, TickingDeviceBWithoutChoicesStoresNoSelection) {
    open();
    box("chk_UseB")->click();
    EXPECT_TRUE(settings.useDeviceB) << "at once, before apply";
    EXPECT_TRUE(combo("cmb_Dev(1)")->isEnabled());
    EXPECT_TRUE(find<QLabel>("Label4")->isEnabled());
    EXPECT_TRUE(edit("txt_Reset(1)")->isEnabled());
    click("B_Accept");
    EXPECT_EQ(messages(), QStringList{KeywordMissing});
    EXPECT_EQ(interaction.shown[0].icon, MessageIcon::Critical);
    EXPECT_EQ(settings.deviceSlots[1].device, 1) << "nothing applied";
    EXPECT_EQ(synthApplied, 0);

    edit("DevB_Key")->setText("  ");
    click("B_Accept");
    EXPECT_EQ(interaction.shown.size(), 1u) << "blanks are a keyword";
    EXPECT_EQ(settings.deviceSlots[1].device, -2);
    EXPECT_EQ(settings.deviceSlots[1].resetType, -1);
    EXPECT_EQ(settings.deviceSlots[1].keywords, "  ");
    EXPECT_EQ(synthApplied, 1);
}

TEST_F(DialogRig, CancelKeepsUseBButNothingElse) {
    open();
    box("chk_UseB")->click();
    edit("DevB_Key")->setText("SC");
    choose("cmb_Dev(1)", 3);
    click("B_Cancel");
    EXPECT_TRUE(settings.useDeviceB);
    EXPECT_EQ(settings.deviceSlots[1], config::Settings().deviceSlots[1]);
    EXPECT_TRUE(mainWindow.isEnabled());
    EXPECT_EQ(synthApplied, 0);
}

TEST_F(DialogRig, OkWithEmptyKeywordStaysOpen) {
    settings.useDeviceB = true;
    settings.deviceSlots[1].keywords.clear();
    open();
    dialog->show();
    click("B_Ok");
    EXPECT_EQ(messages(), QStringList{KeywordMissing});
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_FALSE(mainWindow.isEnabled());
    box("chk_UseB")->click();
    click("B_Accept");
    EXPECT_EQ(messages().size(), 1) << "with device B off an empty keyword is fine";
    EXPECT_FALSE(settings.useDeviceB);
}

TEST_F(DialogRig, LhasaBrowseAndPathCheck) {
    vesk::test::TempDir dir;
    const QString lha = dir.write("bin/lha", "#!/bin/sh\n");
    settings.useLhasa = true;
    settings.lhasaPath = QStringLiteral("/nowhere/lha");
    open();
    EXPECT_TRUE(edit("txt_Lhasa")->isEnabled());
    EXPECT_EQ(edit("txt_Lhasa")->text(), "/nowhere/lha");

    choosers.folder = dir.path();
    click("B_Lhasa");
    EXPECT_EQ(messages(), QStringList{"Lhasaが見つかりません"});
    EXPECT_EQ(interaction.shown[0].icon, MessageIcon::Information);
    EXPECT_EQ(settings.lhasaPath, "/nowhere/lha");
    choosers.folder = dir.file("bin");
    click("B_Lhasa");
    EXPECT_EQ(choosers.asked.last(), "Lhasaの検索");
    EXPECT_EQ(settings.lhasaPath, lha) << "at once, before apply";
    EXPECT_EQ(edit("txt_Lhasa")->text(), lha);

    auto leave = [this] {
        QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
        QCoreApplication::sendEvent(edit("txt_Lhasa"), &out);
    };
    leave();
    EXPECT_EQ(interaction.shown.size(), 1u) << "an existing file passes";
    edit("txt_Lhasa")->setText(dir.path());
    interaction.answer = MessageAnswer::No;
    leave();
    ASSERT_EQ(interaction.shown.size(), 2u);
    EXPECT_EQ(interaction.shown[1].buttons, platform::MessageButtons::YesNo);
    EXPECT_TRUE(box("chk_Lhasa")->isChecked());
    interaction.answer = MessageAnswer::Yes;
    leave();
    EXPECT_FALSE(box("chk_Lhasa")->isChecked());
    EXPECT_FALSE(edit("txt_Lhasa")->isEnabled());
    EXPECT_EQ(interaction.shown.size(), 3u);

    click("B_Cancel");
    EXPECT_EQ(settings.lhasaPath, lha);
    EXPECT_TRUE(settings.useLhasa);
}

TEST_F(DialogRig, AssociationsTickTogetherAndStopAtTheFirstFailure) {
    store.entries["audio/x-recomposer"][""] = "io.github.veskmidi.VeskMidiPlayer.desktop;";
    store.entries["audio/x-recomposer"][BackupEntry] = "old.desktop;";
    store.entries[".zip"][""] = "application/zip";
    open();
    for (int r = 0; r < AssociationRows; ++r) {
        EXPECT_EQ(row(r)->checkState() == Qt::Checked, r >= 3 && r <= 7) << r;
    }
    row(1)->setCheckState(Qt::Checked);
    EXPECT_EQ(row(0)->checkState(), Qt::Checked);
    row(5)->setCheckState(Qt::Unchecked);
    EXPECT_EQ(row(3)->checkState(), Qt::Unchecked);
    row(2)->setCheckState(Qt::Checked);
    row(10)->setCheckState(Qt::Checked);
    store.failing.insert("audio/x-rmid");
    choose("cmb_Rtype(0)", 2);

    click("B_Accept");
    EXPECT_EQ(messages(), QStringList{RegistryFailed});
    EXPECT_EQ(store.readValue("audio/midi", {}), "io.github.veskmidi.VeskMidiPlayer.desktop;");
    EXPECT_EQ(store.readValue("audio/x-recomposer", {}),
              "io.github.veskmidi.VeskMidiPlayer.desktop;")
        << "untouched";
    EXPECT_EQ(store.readValue("application/zip", AddedEntry), "");
    const auto& state = dialog->assocState();
    EXPECT_TRUE(state[0] && state[1]);
    EXPECT_FALSE(state[2]);
    EXPECT_TRUE(state[3]);
    EXPECT_EQ(settings.deviceSlots[0].resetType, 2) << "settings are stored after a failure too";

    store.failing.clear();
    click("B_Accept");
    EXPECT_EQ(messages().size(), 1);
    EXPECT_EQ(store.readValue("audio/x-recomposer", {}), "old.desktop;");
    EXPECT_EQ(store.readValue("application/zip", AddedEntry),
              "io.github.veskmidi.VeskMidiPlayer.desktop;");
    EXPECT_TRUE(dialog->assocState()[10]);
    EXPECT_FALSE(dialog->assocState()[7]);
}

TEST_F(DialogRig, SoundFontIsCheckedBeforeItIsTaken) {
    vesk::test::TempDir dir;
    open();
    choosers.soundFont = dir.write("broken.sf2", "RIFF....not a soundfont");
    click("B_SoundFont");
    ASSERT_EQ(interaction.shown.size(), 1u);
    EXPECT_EQ(interaction.shown[0].icon, MessageIcon::Critical);
    EXPECT_TRUE(edit("txt_SoundFont")->text().isEmpty());
    choosers.soundFont = dir.write("song.mid", "MThd");
    click("B_SoundFont");
    EXPECT_EQ(interaction.shown.size(), 2u);

    const QString good = QStringLiteral("/usr/share/sounds/sf2/TimGM6mb.sf2");
    if (QFileInfo::exists(good)) {
        choosers.soundFont = good;
        click("B_SoundFont");
        EXPECT_EQ(interaction.shown.size(), 2u);
        // The narrow field names the file; the whole path is its tool tip.
        EXPECT_EQ(edit("txt_SoundFont")->text(), "TimGM6mb.sf2");
        EXPECT_EQ(edit("txt_SoundFont")->toolTip(), good);
    }
    QComboBox* audio = combo("cmb_Audio");
    audio->setCurrentIndex(audio->count() - 1);
    click("B_Accept");
    EXPECT_EQ(settings.audioDriver, audio->currentData().toString());
    EXPECT_EQ(settings.soundFont, QFileInfo::exists(good) ? good : QString());
    EXPECT_EQ(synthApplied, 1);

    click("B_SoundFontAuto");
    EXPECT_FALSE(edit("txt_SoundFont")->placeholderText().contains(u'/'));
    click("B_Ok");
    EXPECT_TRUE(settings.soundFont.isEmpty());
}

TEST_F(DialogRig, TheDialogIsOwnedByTheMainWindowBeforeItFirstShows) {
    mainWindow.show();
    // What the window system is told when the dialog maps is what keeps it above its
    // owner; the owner set after the first show is too late.
    struct ShowWatch : QObject {
        QWindow* ownerAtShow = nullptr;
        bool seen = false;
        bool eventFilter(QObject* watched, QEvent* event) override {
            auto* dialog = qobject_cast<OptionsDialog*>(watched);
            if (dialog != nullptr && event->type() == QEvent::Show && !seen) {
                seen = true;
                ownerAtShow =
                    dialog->windowHandle() ? dialog->windowHandle()->transientParent() : nullptr;
            }
            return false;
        }
    } watch;
    qApp->installEventFilter(&watch);
    OptionsDialog* shown = OptionsDialog::open(
        OptionsContext{settings, module, midi, interaction, store, choosers}, &mainWindow);
    qApp->removeEventFilter(&watch);
    ASSERT_TRUE(watch.seen);
    EXPECT_EQ(watch.ownerAtShow, mainWindow.windowHandle());
    EXPECT_FALSE(mainWindow.isEnabled());
    shown->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(mainWindow.isEnabled());
}

}  // namespace
}  // namespace vesk::ui
