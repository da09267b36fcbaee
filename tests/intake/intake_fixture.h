#pragma once
// A work folder, module state and settings per test, and a reporter that remembers what
// the intake said.

#include <gtest/gtest.h>

#include <QDir>
#include <QString>
#include <vector>

#include "config/module_state.h"
#include "config/settings.h"
#include "intake/archive_extract.h"
#include "intake/intake.h"
#include "intake/intake_reporter.h"
#include "support/temp_dir.h"

namespace vesk::test {

class RecordingReporter : public intake::IntakeReporter {
  public:
    struct Message {
        QString text;
        platform::MessageIcon icon;
        QString caption;
    };

    void showMessage(const QString& text, platform::MessageIcon icon,
                     const QString& caption) override {
        messages.push_back({text, icon, caption});
    }
    void showEntry(const intake::SongEntry& entry) override { shown.push_back(entry); }
    void progress(int done, int total) override { steps.emplace_back(done, total); }
    void processEvents() override { ++eventRuns; }

    QStringList texts() const {
        QStringList all;
        for (const Message& m : messages) {
            all.append(m.text);
        }
        return all;
    }

    std::vector<Message> messages;
    std::vector<intake::SongEntry> shown;
    std::vector<std::pair<int, int>> steps;
    int eventRuns = 0;
};

class IntakeTest : public ::testing::Test {
  protected:
    IntakeTest() {
        module.workFolder = work.path() + u'/';
        module.haveLzhReader = true;
        module.haveZipReader = true;
        module.haveRarReader = true;
        QDir().mkpath(work.path() + QStringLiteral("/FileNames"));
    }

    intake::Intake intake() { return intake::Intake(module, settings, extractor, reporter); }

    // Files directly inside the work folder (the hand-off folder below it is not a file).
    QStringList workFiles() const {
        return QDir(work.path()).entryList(QDir::Files | QDir::Hidden | QDir::System);
    }
    // Everything below the work folder except the hand-off folder.
    QStringList workContents() const {
        QStringList all =
            QDir(work.path())
                .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
        all.removeAll(QStringLiteral("FileNames"));
        return all;
    }

    // Where the members of `archive` are written.
    QString memberFolder(const QString& archive) const {
        return intake::archiveFolder(module.workFolder, archive);
    }

    TempDir work;
    TempDir songs;
    config::ModuleState module;
    config::Settings settings;
    intake::ArchiveExtractor extractor{module, settings};
    RecordingReporter reporter;
};

}  // namespace vesk::test
