#pragma once
// A file-association store kept in memory that can be told to fail, for the association
// rules and the options dialog.

#include <QString>
#include <QStringList>
#include <map>
#include <set>

#include "platform/desktop/association_store.h"

namespace vesk::platform::desktop::support {

class MemoryAssociationStore final : public AssociationStore {
  public:
    QString readValue(const QString& key, const QString& name) override {
        ++reads;
        auto k = entries.find(key);
        if (k == entries.end()) {
            return {};
        }
        auto v = k->second.find(name);
        return v == k->second.end() ? QString() : v->second;
    }
    bool writeValue(const QString& key, const QString& name, const QString& text) override {
        log.append(QStringLiteral("write %1|%2=%3").arg(key, name, text));
        if (failing.count(key) != 0) {
            return false;
        }
        entries[key][name] = text;
        return true;
    }
    bool removeValue(const QString& key, const QString& name) override {
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

}  // namespace vesk::platform::desktop::support
