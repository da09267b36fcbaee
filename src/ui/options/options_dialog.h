#pragma once
// The options dialog ("オプション"): devices A and B with their reset messages, the
// device-B keywords, the external Lhasa program, the file associations and the built-in
// synthesizer. It edits Settings in memory when the user applies; the configuration file
// is written at quit. It is not modal: it disables the main window while it is open.

#include <QPointer>
#include <QWidget>
#include <array>
#include <functional>

#include "config/module_state.h"
#include "config/settings.h"
#include "platform/desktop/association_store.h"
#include "platform/desktop/associations.h"
#include "platform/midi_output.h"
#include "platform/user_interaction.h"
#include "ui/options/option_choosers.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class QStackedWidget;

namespace vesk::ui {

using platform::desktop::AssociationRow;
using platform::desktop::AssociationRows;
using platform::desktop::Associations;
using platform::desktop::AssociationStore;

struct OptionsContext {
    config::Settings& settings;
    const config::ModuleState& module;
    platform::MidiOutputService& midiOutput;
    platform::UserInteraction& interaction;
    AssociationStore& associations;
    OptionChoosers& choosers;
    // Run after every apply: the synthesizer takes the SoundFont and audio output.
    std::function<void()> applySynthesizerSettings = {};
};

class OptionsDialog final : public QWidget {
    Q_OBJECT
  public:
    // Builds the controls in their initial state; load() fills them. `mainWindow` (may be
    // null) is disabled from load() until the dialog closes. The dialog is its own window,
    // not the main window's child, so that it stays usable while the main window is
    // disabled.
    OptionsDialog(const OptionsContext& context, QWidget* mainWindow);
    ~OptionsDialog() override;

    // The opening steps: device lists, the stored settings, the associations in force.
    void load();

    // Creates, loads and shows the dialog; it deletes itself when closed.
    static OptionsDialog* open(const OptionsContext& context, QWidget* mainWindow);

    // The device name as the MIDI output service reports it, up to its first NUL.
    QString outDeviceName(std::int16_t device) const;

  protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void buildDevicePage(QWidget* page);
    void buildLhasaPage(QWidget* page);
    void buildAssociationPage(QWidget* page);
    void buildSynthPage(QWidget* page);

    // Selections the dialog makes run the control's reaction, as a user's choice does.
    void selectType(int slot, int index);
    void selectDevice(int slot, int position);

    void menuChosen(int item);
    void typeChosen(int slot, int index);
    void deviceChosen(int slot, int position);
    void useBClicked(bool on);
    void lhasaClicked(bool on);
    void browseLhasa();
    void lhasaPathLeft();
    void associationTicked(QListWidgetItem* item);
    void chooseSoundFont();
    void showSoundFont();
    void acceptClicked();
    void okClicked();
    void cancelClicked();
    void enableMainWindow();

    bool keywordMissing() const;
    bool applyAssociations();
    void storeSettings();

    OptionsContext context_;
    Associations associations_;
    QPointer<QWidget> mainWindow_;
    bool mainWindowDisabled_ = false;
    bool checkingLhasa_ = false;
    bool linkingTicks_ = false;
    std::array<bool, AssociationRows> assocState_{};
    QString soundFont_;

    QListWidget* pageList_ = nullptr;
    QStackedWidget* pages_ = nullptr;
    std::array<QComboBox*, 2> deviceBoxes_{};
    std::array<QComboBox*, 2> resetTypeBoxes_{};
    std::array<QLineEdit*, 2> resetTexts_{};
    QCheckBox* useDeviceBBox_ = nullptr;
    QLineEdit* deviceBKeywords_ = nullptr;
    QLabel* keywordsLabel_ = nullptr;
    QLabel* deviceBLabel_ = nullptr;
    QLabel* resetBLabel_ = nullptr;
    QCheckBox* useLhasaBox_ = nullptr;
    QLabel* lhasaPathLabel_ = nullptr;
    QLineEdit* lhasaPath_ = nullptr;
    QPushButton* browseLhasaButton_ = nullptr;
    QListWidget* associationList_ = nullptr;
    QLineEdit* soundFontPath_ = nullptr;
    QPushButton* chooseSoundFontButton_ = nullptr;
    QPushButton* autoSoundFontButton_ = nullptr;
    QComboBox* audioOutputBox_ = nullptr;
    QPushButton* okButton_ = nullptr;
    QPushButton* applyButton_ = nullptr;
    QPushButton* cancelButton_ = nullptr;
};

}  // namespace vesk::ui
