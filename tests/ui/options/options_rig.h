#pragma once
// Test doubles for the options dialog: a MIDI output with named modules and choosers
// answered in advance.

#include <QString>
#include <QStringList>
#include <deque>
#include <map>
#include <set>

#include "platform/midi_output.h"
#include "support/memory_association_store.h"
#include "ui/options/option_choosers.h"

namespace vesk::ui::test {

using platform::desktop::support::MemoryAssociationStore;

class NamedMidiOutput final : public platform::MidiOutputService {
  public:
    explicit NamedMidiOutput(QStringList names) : names_(std::move(names)) {}
    int deviceCount() override { return static_cast<int>(names_.size()); }
    QString deviceName(int device) override {
        if (device == -1) {
            return QStringLiteral("Default output");
        }
        return device >= 0 && device < names_.size() ? names_.at(device) : QString();
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

}  // namespace vesk::ui::test
