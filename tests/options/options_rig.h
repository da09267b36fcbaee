#pragma once
// Test doubles for the options dialog: a MIDI output with named modules, an association
// store kept in memory that can be told to fail, and choosers answered in advance.

#include <QString>
#include <QStringList>
#include <deque>
#include <map>
#include <set>

#include "options/association_store.h"
#include "options/option_choosers.h"
#include "platform/midi_output.h"

namespace vesk::options::test {

class NamedMidiOutput final : public platform::MidiOutputService {
  public:
    explicit NamedMidiOutput(QStringList names) : names_(std::move(names)) {}
    int deviceCount() override { return static_cast<int>(names_.size()); }
    QString deviceName(int device) override {
        if (device == -1) {
            return QStringLiteral("MIDI Mapper");
        }
        return device >= 0 && device < names_.size() ? names_.at(device) : QString();
    }
    int open(int, std::unique_ptr<platform::MidiOutDevice>&) override { return 2; }

  private:
    QStringList names_;
};

class MemoryAssociationStore final : public AssociationStore {
  public:
    QString ReadRegString(const QString& key, const QString& name) override {
        ++reads;
        auto k = entries.find(key);
        if (k == entries.end()) {
            return {};
        }
        auto v = k->second.find(name);
        return v == k->second.end() ? QString() : v->second;
    }
    bool WriteRegString(const QString& key, const QString& name, const QString& text) override {
        log.append(QStringLiteral("write %1|%2=%3").arg(key, name, text));
        if (failing.count(key) != 0) {
            return false;
        }
        entries[key][name] = text;
        return true;
    }
    bool DeleteRegEntry(const QString& key, const QString& name) override {
        log.append(QStringLiteral("delete %1|%2").arg(key, name));
        auto k = entries.find(key);
        if (failing.count(key) != 0 || k == entries.end()) {
            return false;
        }
        if (name.isEmpty()) {
            // The type's default and backup; the shared lists stay, as on the desktop.
            const bool had = k->second.erase(QString()) + k->second.erase(BackupEntry) != 0;
            return had;
        }
        return k->second.erase(name) != 0;
    }
    bool applicationInstalled() override { return installs > 0; }
    bool installApplication() override {
        ++installs;
        return installWorks;
    }

    std::map<QString, std::map<QString, QString>> entries;
    std::set<QString> failing;  // keys whose writes and deletes fail
    QStringList log;
    int installs = 0;
    bool installWorks = true;
    int reads = 0;
};

class ScriptedChoosers final : public OptionChoosers {
  public:
    QString BrowseFolder(QWidget*, const QString& title) override {
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

}  // namespace vesk::options::test
