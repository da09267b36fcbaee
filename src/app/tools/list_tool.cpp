#include "app/tools/list_tool.h"

#include <QDir>
#include <QFileInfo>

namespace vesk::app {

using namespace intake;
namespace {

QString oneLine(QString text) {
    text.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    for (QChar& c : text) {
        if (c == u'\t' || c == u'\r' || c == u'\n') {
            c = u' ';
        }
    }
    return text;
}

class StreamReporter final : public IntakeReporter {
  public:
    explicit StreamReporter(QTextStream& err) : err_(err) {}

    void showMessage(const QString& text, platform::MessageIcon icon,
                     const QString& caption) override {
        (void)icon;
        (void)caption;
        err_ << oneLine(text) << '\n';
        err_.flush();
        ++messages;
    }

    int messages = 0;

  private:
    QTextStream& err_;
};

}  // namespace

int runListTool(const QStringList& paths, const config::ModuleState& module,
                const config::Settings& settings, QTextStream& out, QTextStream& err,
                const TitleFunction& title) {
    if (paths.isEmpty()) {
        err << "Usage: veskmidi --list PATH...\n";
        return 2;
    }
    StreamReporter reporter(err);
    ArchiveExtractor extractor(module, settings);
    Intake intake(module, settings, extractor, reporter, title);
    for (const QString& given : paths) {
        const QFileInfo info(given);
        const QString path = QDir::cleanPath(info.absoluteFilePath());
        const std::vector<SongEntry> entries =
            info.isDir() ? intake.addFolder(path, path == u"/" ? QString() : path)
                         : intake.addFiles(path);
        for (const SongEntry& entry : entries) {
            out << oneLine(entry.container) << '\t' << oneLine(entry.name) << '\t'
                << oneLine(entry.title) << '\n';
        }
        out.flush();
    }
    return reporter.messages == 0 ? 0 : 1;
}

}  // namespace vesk::app
