// The options dialog's opening steps, reactions and cascades, driven like a user would, and
// each page drawn for review (VESK_SCREENSHOT_DIR, as `make screenshots` sets it).
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStackedWidget>
#include <QWindow>

#include "platform/midi_output.h"
#include "support/memory_association_store.h"
#include "support/program_look.h"
#include "support/temp_dir.h"
#include "ui/options/options_dialog.h"

namespace vesk::ui {
namespace {

using platform::MessageAnswer;
using platform::MessageIcon;
using platform::desktop::AddedEntry;
using platform::desktop::BackupEntry;

constexpr char KeywordMissing[] = "音源Bのキーワードが設定されていません。";
const QString GsCode = "F0 41 10 42 12 40 00 7F 00 41 F7";
const QString XgCode = "F0 43 10 4C 00 00 7E 00 F7";
const QString Ours = "io.github.veskmidi.VeskMidiPlayer.desktop;";

// A MIDI output with named modules that opens none of them.
class NamedMidiOutput final : public platform::MidiOutputService {
  public:
    explicit NamedMidiOutput(QStringList names) : names_(std::move(names)) {}
    int deviceCount() override { return static_cast<int>(names_.size()); }
    QString deviceName(int device) override {
        return device == -1 ? QString("Default output") : names_.value(device);
    }
    platform::MidiOutError open(int, std::unique_ptr<platform::MidiOutDevice>&) override {
        return platform::MidiOutError::NoSuchDevice;
    }

  private:
    QStringList names_;
};

class ScriptedChoosers final : public OptionChoosers {
  public:
    QString browseFolder(QWidget*, const QString& title) override {
        asked.append(title);
        return folder;
    }
    QString chooseSoundFont(QWidget*, const QString& title, const QString&) override {
        asked.append(title);
        return soundFont;
    }
    QString folder;
    QString soundFont;
    QStringList asked;
};

class DialogRig : public ::testing::Test {
  protected:
    OptionsContext context() {
        return OptionsContext{
            settings, module, midi, interaction, store, choosers, [this] { ++synthApplied; }};
    }
    void open() {
        dialog = std::make_unique<OptionsDialog>(context(), &mainWindow);
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
    NamedMidiOutput midi{{"FluidSynth", "Roland SC-88", "YAMAHA MU128", "USB MIDI"}};
    platform::RecordingInteraction interaction;
    platform::desktop::support::MemoryAssociationStore store;
    ScriptedChoosers choosers;
    QWidget mainWindow;
    int synthApplied = 0;
    std::unique_ptr<OptionsDialog> dialog;
};

TEST_F(DialogRig, OpeningFillsTheDevicesAndBlocksTheMainWindowUntilClosed) {
    dialog = std::make_unique<OptionsDialog>(context(), &mainWindow);
    EXPECT_EQ(dialog->windowTitle(), "オプション");
    EXPECT_FALSE(combo("cmb_Dev(1)")->isEnabled());
    EXPECT_FALSE(edit("DevB_Key")->isEnabled());
    EXPECT_TRUE(mainWindow.isEnabled());
    dialog->load();
    QComboBox* devA = combo("cmb_Dev(0)");
    ASSERT_EQ(devA->count(), 5);
    EXPECT_EQ(devA->itemText(2), "Roland SC-88");
    EXPECT_EQ(devA->currentIndex(), 0) << "device -1 is the default output";
    EXPECT_EQ(interaction.eventRuns, 1);
    EXPECT_FALSE(mainWindow.isEnabled());
    find<QListWidget>("Lst_Menu")->setCurrentRow(2);
    EXPECT_EQ(find<QStackedWidget>(QString())->currentWidget()->objectName(), "FrameK");
    dialog->close();
    EXPECT_TRUE(mainWindow.isEnabled());

    // A device that is gone is no choice; applying stores no device.
    midi = NamedMidiOutput({});
    settings.deviceSlots[0].device = 3;
    open();
    EXPECT_EQ(combo("cmb_Dev(0)")->count(), 1);
    EXPECT_EQ(combo("cmb_Dev(0)")->currentIndex(), -1);
    click("B_Accept");
    EXPECT_EQ(settings.deviceSlots[0].device, -2);
}

TEST_F(DialogRig, ResetTypesAndDeviceNamesPutTheirCodesAndKeywords) {
    midi = NamedMidiOutput({"roland sc", "MUSIC box", "XG GS both", "SCSI", "Plain"});
    settings.useDeviceB = true;
    open();
    const QStringList codes{"F0 7E 7F 09 01 F7", GsCode, XgCode, "F0 F7", ""};
    const QStringList keys{"GM", "GS,SC,Roland", "XG,MU,YAMAHA", "", ""};
    for (int t = 0; t < 5; ++t) {
        choose("cmb_Rtype(0)", t);
        EXPECT_EQ(edit("txt_Reset(0)")->text(), codes[t]) << t;
        EXPECT_EQ(edit("txt_Reset(0)")->isEnabled(), t == 3) << t;  // その他 alone is edited
        choose("cmb_Rtype(1)", t);
        EXPECT_EQ(edit("txt_Reset(1)")->text(), codes[t]) << t;
        EXPECT_EQ(edit("DevB_Key")->text(), keys[t]) << t;
    }
    choose("cmb_Rtype(1)", 0);
    // Device position -> the type its name picks.
    for (auto [position, type] : {std::pair{1, 0}, {2, 2}, {3, 1}, {4, 1}, {5, 1}}) {
        choose("cmb_Dev(1)", position);
        EXPECT_EQ(combo("cmb_Rtype(1)")->currentIndex(), type) << position;
    }
    choose("cmb_Dev(1)", 2);
    EXPECT_EQ(edit("txt_Reset(1)")->text(), XgCode);
    EXPECT_EQ(edit("DevB_Key")->text(), "XG,MU,YAMAHA");
}

TEST_F(DialogRig, StoredDeviceOverridesTheStoredTypeButKeepsDeviceBKeywords) {
    settings.deviceSlots[0] = {QString(), "F0 F7", 3, 1};
    settings.useDeviceB = true;
    settings.deviceSlots[1] = {"mine", "F0 7E 7F 09 01 F7", 0, 2};
    open();
    EXPECT_EQ(combo("cmb_Rtype(0)")->currentIndex(), 1);
    EXPECT_EQ(edit("txt_Reset(0)")->text(), GsCode);
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

TEST_F(DialogRig, DeviceBNeedsAKeywordBeforeAnythingIsApplied) {
    open();
    dialog->show();
    box("chk_UseB")->click();
    EXPECT_TRUE(settings.useDeviceB) << "at once, before apply";
    EXPECT_TRUE(combo("cmb_Dev(1)")->isEnabled());
    EXPECT_TRUE(find<QLabel>("Label4")->isEnabled());
    click("B_Ok");
    EXPECT_EQ(messages(), QStringList{KeywordMissing});
    EXPECT_EQ(interaction.shown[0].icon, MessageIcon::Critical);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(settings.deviceSlots[1].device, 1) << "nothing applied";
    EXPECT_EQ(synthApplied, 0);

    edit("DevB_Key")->setText("  ");
    click("B_Accept");
    EXPECT_EQ(interaction.shown.size(), 1u) << "blanks are a keyword";
    EXPECT_EQ(settings.deviceSlots[1].device, -2);
    EXPECT_EQ(settings.deviceSlots[1].keywords, "  ");
    EXPECT_EQ(synthApplied, 1);

    // Cancel keeps the tick of device B but nothing else.
    edit("DevB_Key")->setText("SC");
    choose("cmb_Dev(1)", 3);
    click("B_Cancel");
    EXPECT_TRUE(settings.useDeviceB);
    EXPECT_EQ(settings.deviceSlots[1].keywords, "  ");
    EXPECT_TRUE(mainWindow.isEnabled());

    // With device B off an empty keyword is fine.
    settings.deviceSlots[1].keywords.clear();
    open();
    box("chk_UseB")->click();
    click("B_Accept");
    EXPECT_EQ(messages().size(), 1);
    EXPECT_FALSE(settings.useDeviceB);
}

TEST_F(DialogRig, LhasaBrowseAndPathCheck) {
    vesk::test::TempDir dir;
    const QString lha = dir.write("bin/lha", "#!/bin/sh\n");
    settings.useLhasa = true;
    settings.lhasaPath = "/nowhere/lha";
    open();
    EXPECT_EQ(edit("txt_Lhasa")->text(), "/nowhere/lha");
    choosers.folder = dir.path();
    click("B_Lhasa");
    EXPECT_EQ(messages(), QStringList{"Lhasaが見つかりません"});
    EXPECT_EQ(settings.lhasaPath, "/nowhere/lha");
    choosers.folder = dir.file("bin");
    click("B_Lhasa");
    EXPECT_EQ(choosers.asked.last(), "Lhasaの検索");
    EXPECT_EQ(settings.lhasaPath, lha) << "at once, before apply";
    EXPECT_EQ(edit("txt_Lhasa")->text(), lha);

    const auto leave = [this] {
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
    click("B_Cancel");
    EXPECT_EQ(settings.lhasaPath, lha);
    EXPECT_TRUE(settings.useLhasa);
}

TEST_F(DialogRig, AssociationsTickTogetherAndStopAtTheFirstFailure) {
    store.entries["audio/x-recomposer"][""] = Ours;
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
    EXPECT_EQ(messages(),
              QStringList{"レジストリの設定に失敗しました。レジストリ操作を中断します"});
    EXPECT_EQ(store.readValue("audio/midi", {}), Ours);
    EXPECT_EQ(store.readValue("audio/x-recomposer", {}), Ours) << "untouched";
    EXPECT_EQ(store.readValue("application/zip", AddedEntry), "");
    EXPECT_EQ(settings.deviceSlots[0].resetType, 2) << "settings are stored after a failure too";

    // The rows still ticked are done on the next apply, and shown so when opened again.
    store.failing.clear();
    click("B_Accept");
    EXPECT_EQ(messages().size(), 1);
    EXPECT_EQ(store.readValue("audio/x-recomposer", {}), "old.desktop;");
    EXPECT_EQ(store.readValue("application/zip", AddedEntry), Ours);
    open();
    for (int r = 0; r < AssociationRows; ++r) {
        EXPECT_EQ(row(r)->checkState() == Qt::Checked, r <= 2 || r == 10) << r;
    }
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
    const QString good = "/usr/share/sounds/sf2/TimGM6mb.sf2";
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
            auto* shown = qobject_cast<OptionsDialog*>(watched);
            if (shown != nullptr && event->type() == QEvent::Show && !seen) {
                seen = true;
                ownerAtShow =
                    shown->windowHandle() ? shown->windowHandle()->transientParent() : nullptr;
            }
            return false;
        }
    } watch;
    qApp->installEventFilter(&watch);
    OptionsDialog* shown = OptionsDialog::open(context(), &mainWindow);
    qApp->removeEventFilter(&watch);
    ASSERT_TRUE(watch.seen);
    EXPECT_EQ(watch.ownerAtShow, mainWindow.windowHandle());
    EXPECT_FALSE(mainWindow.isEnabled());
    shown->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(mainWindow.isEnabled());
}

using OptionsScreenshots = DialogRig;

TEST_F(OptionsScreenshots, EveryPageIsDarkLikeTheMainWindow) {
    test::ProgramLook look;
    open();
    auto* pages = find<QListWidget>("Lst_Menu");
    const QString dir = qEnvironmentVariable("VESK_SCREENSHOT_DIR");
    for (int page = 0; page < pages->count(); ++page) {
        pages->setCurrentRow(page);
        const QPixmap picture = dialog->grab();
        const auto [dark, light] = test::darkAndLight(picture);
        EXPECT_GT(dark, 0.6) << page;
        EXPECT_GT(light, 0.005) << page;
        if (!dir.isEmpty()) {
            picture.save(dir + QString("/options_page%1.png").arg(page + 1));
        }
    }
}

}  // namespace
}  // namespace vesk::ui
