#include <gtest/gtest.h>

#include <QFontInfo>
#include <QFontMetrics>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QtTest/QTest>
#include <memory>
#include <set>

#include "support/temp_dir.h"
#include "ui/info/elided_label.h"
#include "ui/info/info_row.h"
#include "ui/info/info_samples.h"
#include "ui/info/progress_window.h"
#include "ui/info/song_info_window.h"
#include "ui/info/version_window.h"
#include "ui/info/window_block.h"

namespace vesk::ui {
namespace {

template <typename W>
W* part(const QWidget& window, const QString& name) {
    W* found = window.findChild<W*>(name);
    EXPECT_NE(found, nullptr) << name.toStdString();
    return found;
}

VersionTexts versionTexts(const std::array<QString, 4>& components, int revision = 225) {
    return VersionTexts{"VESK MIDI PLAYER", "Ver 1.0", revision, components};
}

TEST(VersionWindow, TitleWithRevisionAndComponentVersionsInOneFixedPitchColumn) {
    const QString none = "NOT INSTALLED";
    EXPECT_EQ(versionTitleLine(versionTexts({}, 0)), "VESK MIDI PLAYER Ver 1.0");
    const std::array<QString, 4> mixed = {"Ver 1.90  Micco", none, "Ver 2.00  Eugene Roshal",
                                          "Ver 1.1  someone"};
    for (const auto& components : {mixed, std::array<QString, 4>{none, none, none, none}}) {
        VersionWindow window(versionTexts(components), nullptr);
        EXPECT_EQ(window.windowTitle(), "バージョン情報");
        EXPECT_EQ(part<QLabel>(window, "lbl_Title")->text(), "VESK MIDI PLAYER Ver 1.0 #225");
        const QFont font = part<QLabel>(window, "lbl_Dll0")->font();
        EXPECT_EQ(QFontInfo(font).family(), "Noto Sans Mono CJK JP");
        // A CJK monospace font is not "fixed pitch" as a whole (its wide glyphs take two
        // cells), so the test is on the glyphs the lines use.
        const QFontMetrics metrics(font);
        for (const QChar c : QStringLiteral("iW.0 ")) {
            EXPECT_EQ(metrics.horizontalAdvance(c), metrics.horizontalAdvance(u'M'));
        }
        std::set<int> columns;
        for (int i = 0; i < 4; ++i) {
            const QLabel& line = *part<QLabel>(window, QString("lbl_Dll%1").arg(i));
            const QString version = components[static_cast<std::size_t>(i)];
            EXPECT_TRUE(line.text().endsWith(version)) << line.text().toStdString();
            columns.insert(line.x() + line.margin() +
                           metrics.horizontalAdvance(line.text().chopped(version.size())));
            EXPECT_LE(line.geometry().right(), line.parentWidget()->width());
        }
        EXPECT_EQ(columns.size(), 1u);
    }
}

TEST(VersionWindow, TextsStayInsideTheWindowWithoutOverlapping) {
    VersionWindow window(sampleVersionTexts(), nullptr);
    const QList<QLabel*> labels = window.findChildren<QLabel*>();
    ASSERT_GE(labels.size(), 7);
    for (const QLabel* label : labels) {
        const QRect area(label->mapTo(&window, QPoint(0, 0)), label->size());
        EXPECT_TRUE(window.rect().contains(area)) << label->text().toStdString();
        // No placeholder address: the window names no place that does not exist.
        EXPECT_FALSE(label->text().contains("example")) << label->text().toStdString();
        if (!label->wordWrap()) {
            EXPECT_LE(QFontMetrics(label->font()).horizontalAdvance(label->text()), label->width())
                << label->text().toStdString();
        }
        for (const QLabel* other : labels) {
            if (other != label && other->parentWidget() == label->parentWidget()) {
                EXPECT_FALSE(label->geometry().intersects(other->geometry()))
                    << label->text().toStdString() << " / " << other->text().toStdString();
            }
        }
    }
}

TEST(VersionWindow, DisablesTheMainWindowUntilClosedByAnyRoad) {
    QWidget mainWindow;
    mainWindow.show();
    auto window = makeSampleVersionWindow(&mainWindow);
    window->show();
    EXPECT_FALSE(mainWindow.isEnabled());
    EXPECT_TRUE(window->isEnabled());
    EXPECT_TRUE(window->close());
    EXPECT_TRUE(mainWindow.isEnabled());
    auto again = makeSampleVersionWindow(&mainWindow);
    again->show();
    QTest::mouseClick(part<QPushButton>(*again, "Command1"), Qt::LeftButton);
    EXPECT_FALSE(again->isVisible());
    EXPECT_TRUE(mainWindow.isEnabled());
    again.reset();
    {
        VersionWindow destroyed(sampleVersionTexts(), &mainWindow);
        EXPECT_FALSE(mainWindow.isEnabled());
    }
    EXPECT_TRUE(mainWindow.isEnabled());
    // A main window that went first, or none at all, does no harm.
    auto gone = std::make_unique<QWidget>();
    VersionWindow orphan(sampleVersionTexts(), gone.get());
    gone.reset();
    EXPECT_TRUE(orphan.close());
    VersionWindow alone(sampleVersionTexts(), nullptr);
    EXPECT_TRUE(alone.close());

    // A released block must not undo what someone else disabled later.
    QWidget other;
    {
        WindowBlock block(&other);
        block.release();
        EXPECT_TRUE(other.isEnabled());
        other.setEnabled(false);
    }
    EXPECT_FALSE(other.isEnabled());
}

const InfoRow& row(const SongInfoWindow& window, const char* name) {
    return *part<InfoRow>(window, name);
}

TEST(FileInfoWindow, StartsWithTheDesignWordsTakesTheCoreTextsAndKeepsThemBetweenTheRules) {
    SongInfoWindow window;
    const char* names[] = {"lbl_Arch", "lbl_File", "lbl_Copy", "lbl_Smf",
                           "lbl_BPM",  "lbl_Trk",  "lbl_Div"};
    const QStringList words = {"書庫名", "ファイル名",  "著作権", "SMFﾌｫｰﾏｯﾄ",
                               "BPM",    "トラック数 ", "分解能"};
    for (int i = 0; i < 7; ++i) {
        EXPECT_EQ(row(window, names[i]).text(), words[i]);
        EXPECT_TRUE(row(window, names[i]).value().isEmpty());
    }
    window.setBpmText("BPM  120");
    const player::FileInfoTexts texts = sampleFileInfoTexts();
    window.showFileInfo(texts);
    EXPECT_EQ(row(window, "lbl_Copy").text(), texts.copyright);
    EXPECT_EQ(row(window, "lbl_BPM").text(), "BPM  120");
    EXPECT_EQ(row(window, "lbl_Trk").word(), "トラック数");
    EXPECT_EQ(row(window, "lbl_Trk").value(), "5");
    EXPECT_EQ(row(window, "lbl_Arch").value(), "/home/user/Music/demo");

    int previousBottom = 0;
    std::set<int> valueColumns;
    for (const char* name : names) {
        const InfoRow& r = row(window, name);
        EXPECT_GT(r.y(), previousBottom) << name;
        previousBottom = r.geometry().bottom();
        EXPECT_GE(r.height(), QFontMetrics(r.font()).ascent()) << name;
        // The whole word fits left of the rule; the value starts right of it.
        EXPECT_LE(QFontMetrics(r.font()).horizontalAdvance(r.word()), r.wordRight()) << name;
        EXPECT_LT(r.wordRight(), r.valueLeft()) << name;
        valueColumns.insert(r.x() + r.valueLeft());
    }
    EXPECT_EQ(valueColumns.size(), 1u);
    EXPECT_LE(previousBottom, part<QWidget>(window, "Picture1")->height());
    // Blanks inside a value belong to it.
    window.showFileInfo({"書庫名  a  b", {}, {}, {}, {}, {}});
    EXPECT_EQ(row(window, "lbl_Arch").value(), "a  b");
}

TEST(FileInfoWindow, SitsBelowTheMainWindowAndKeepsItsLookWhenTheOwnerIsDisabled) {
    QWidget mainWindow;
    mainWindow.show();
    SongInfoWindow window(&mainWindow);
    window.placeBelow(QRect(100, 120, 402, 331));
    EXPECT_EQ(window.frameGeometry().topLeft(), QPoint(100, 451));
    mainWindow.setEnabled(false);
    EXPECT_TRUE(window.isEnabled());
    const QImage image = window.grab().toImage();
    EXPECT_EQ(image.pixelColor(0, 0), QColor(32, 32, 64));
    EXPECT_EQ(image.pixelColor(window.width() - 1, window.height() - 1), QColor(32, 32, 64));
}

TEST(ProgressWindow, RowsFollowTheEntriesAndLongValuesAreShortenedOnScreenOnly) {
    ProgressWindow window;
    EXPECT_EQ(window.windowTitle(), "ファイルの解析中…");
    auto* path = part<ElidedLabel>(window, "lbl_Path");
    auto* file = part<ElidedLabel>(window, "lbl_File");
    auto* title = part<ElidedLabel>(window, "lbl_Title");
    int i = 0;
    for (const ElidedLabel* value : {path, file, title}) {
        const auto* caption = part<QLabel>(window, QString("L%1").arg(++i));
        EXPECT_EQ(value->y(), caption->y());
        EXPECT_LT(caption->geometry().right(), value->x());
        EXPECT_LE(QFontMetrics(caption->font()).horizontalAdvance(caption->text()),
                  caption->width());
        EXPECT_TRUE(value->text().isEmpty());
    }
    window.showEntry({"one.mid", "/music/set", "First"});
    window.showEntry({"夜.mid", "/music/pack.lzh", "夜の曲"});
    EXPECT_EQ(path->text(), "/music/pack.lzh");
    EXPECT_EQ(file->shownText(), "夜.mid");
    EXPECT_EQ(title->text(), "夜の曲");

    const QString longPath = "/music/" + QString(300, u'x') + "/end.lzh";
    window.showEntry({"a\nb.mid", longPath, QString()});
    EXPECT_EQ(path->text(), longPath);
    const QString shown = path->shownText();
    EXPECT_TRUE(shown.startsWith("/music/") && shown.endsWith("end.lzh"));
    EXPECT_LE(QFontMetrics(path->font()).horizontalAdvance(shown), path->width());
    EXPECT_EQ(path->toolTip(), longPath);
    EXPECT_EQ(file->shownText(), "a b.mid");
}

TEST(InfoScreenshots, AllThreeWindowsRenderWithTheirSampleData) {
    test::TempDir dir;
    ASSERT_TRUE(saveInfoScreenshots(dir.path()));
    for (const auto& [name, size] : {std::pair{"version_window.png", QSize(312, 248)},
                                     std::pair{"song_info_window.png", QSize(482, 121)},
                                     std::pair{"progress_window.png", QSize(421, 61)}}) {
        const QImage image(dir.file(QLatin1String(name)));
        ASSERT_FALSE(image.isNull()) << name;
        EXPECT_EQ(image.size() / image.devicePixelRatio(), size) << name;
        // Something was drawn on the background besides the background itself.
        const QColor background = image.pixelColor(0, 0);
        int other = 0;
        for (int y = 0; y < image.height(); y += 2) {
            for (int x = 0; x < image.width(); x += 2) {
                other += image.pixelColor(x, y) != background ? 1 : 0;
            }
        }
        EXPECT_GT(other, 100) << name;
    }
    if (const QString keep = qEnvironmentVariable("VESK_INFO_SCREENSHOTS"); !keep.isEmpty()) {
        EXPECT_TRUE(saveInfoScreenshots(keep));
    }
}

}  // namespace
}  // namespace vesk::ui
