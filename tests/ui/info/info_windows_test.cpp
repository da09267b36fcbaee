#include <gtest/gtest.h>

#include <QFontInfo>
#include <QFontMetrics>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QtTest/QTest>
#include <memory>

#include "support/temp_dir.h"
#include "ui/info/elided_label.h"
#include "ui/info/info_look.h"
#include "ui/info/info_row.h"
#include "ui/info/info_samples.h"
#include "ui/info/progress_window.h"
#include "ui/info/song_info_window.h"
#include "ui/info/version_window.h"
#include "ui/info/window_block.h"

namespace vesk::ui {
namespace {

VersionTexts versionTexts(const std::array<QString, 4>& components) {
    VersionTexts texts;
    texts.appTitle = QStringLiteral("VESK MIDI PLAYER");
    texts.appVersion = QStringLiteral("Ver 1.0");
    texts.revision = 225;
    texts.components = components;
    return texts;
}

// Where `part` starts inside `label`, in the label's parent's pixels.
int columnOf(const QLabel& label, const QString& part) {
    const qsizetype at = label.text().indexOf(part);
    EXPECT_GE(at, 0) << label.text().toStdString();
    return label.x() + label.margin() +
           QFontMetrics(label.font()).horizontalAdvance(label.text().left(at));
}

TEST(InfoLook, StoredColoursHaveBlueHighAndRedLow) {
    EXPECT_EQ(info::colorFromBgr(info::MainBackground), QColor(32, 32, 64));
    EXPECT_EQ(info::colorFromBgr(11701318), QColor(70, 140, 178));
    EXPECT_EQ(info::colorFromBgr(0), QColor(0, 0, 0));
}

TEST(VersionWindow, ShowsTitleWithRevisionAndPaddedComponentLines) {
    const QString none = QStringLiteral("NOT INSTALLED");
    VersionWindow window(versionTexts({none, none, none, none}), nullptr);
    EXPECT_EQ(window.windowTitle(), QStringLiteral("バージョン情報"));
    EXPECT_EQ(window.size(), QSize(312, 248));
    EXPECT_EQ(window.titleLabel()->text(), QStringLiteral("VESK MIDI PLAYER Ver 1.0 #225"));
    EXPECT_EQ(window.titleLabel()->pos(), QPoint(48, 12));
    EXPECT_EQ(window.componentLabel(0)->text(), QStringLiteral("LZH   NOT INSTALLED"));
    EXPECT_EQ(window.componentLabel(3)->text(), QStringLiteral("RCP   NOT INSTALLED"));
    EXPECT_EQ(window.okButton()->text(), QStringLiteral("OK"));
    // No placeholder address: the window names no place that does not exist.
    for (const QLabel* label : window.findChildren<QLabel*>()) {
        EXPECT_FALSE(label->text().contains(QStringLiteral("example")))
            << label->text().toStdString();
    }
    // A build that could not count its commits shows no made-up number.
    VersionTexts unnumbered = versionTexts({none, none, none, none});
    unnumbered.revision = 0;
    EXPECT_EQ(versionTitleLine(unnumbered), QStringLiteral("VESK MIDI PLAYER Ver 1.0"));
}

TEST(VersionWindow, ComponentVersionsStartInOneColumnInAFixedPitchFont) {
    const std::array<QString, 4> mixed = {
        QStringLiteral("Ver 1.90  Micco"), QStringLiteral("NOT INSTALLED"),
        QStringLiteral("Ver 2.00  Eugene Roshal"), QStringLiteral("Ver 1.1  someone")};
    for (const auto& components :
         {mixed, std::array<QString, 4>{
                     QStringLiteral("NOT INSTALLED"), QStringLiteral("NOT INSTALLED"),
                     QStringLiteral("NOT INSTALLED"), QStringLiteral("NOT INSTALLED")}}) {
        VersionWindow window(versionTexts(components), nullptr);
        // A CJK monospace font is not "fixed pitch" as a whole (its wide glyphs take two
        // cells), so the test is on the glyphs the lines use.
        const QFontMetrics metrics(window.componentLabel(0)->font());
        EXPECT_EQ(QFontInfo(window.componentLabel(0)->font()).family(),
                  QStringLiteral("Noto Sans Mono CJK JP"));
        for (const QChar c : QStringLiteral("iW.0 ")) {
            EXPECT_EQ(metrics.horizontalAdvance(c), metrics.horizontalAdvance(u'M'))
                << int(c.unicode());
        }
        std::array<int, 4> columns{};
        std::array<int, 4> tops{};
        for (int i = 0; i < 4; ++i) {
            const QLabel& line = *window.componentLabel(i);
            EXPECT_EQ(line.font(), window.componentLabel(0)->font());
            columns[static_cast<std::size_t>(i)] =
                columnOf(line, components[static_cast<std::size_t>(i)]);
            tops[static_cast<std::size_t>(i)] = line.y();
            // Nothing of the line is cut off by the box around the four lines.
            EXPECT_LE(line.geometry().right(), line.parentWidget()->width());
        }
        EXPECT_EQ(columns[1], columns[0]);
        EXPECT_EQ(columns[2], columns[0]);
        EXPECT_EQ(columns[3], columns[0]);
        EXPECT_EQ(tops, (std::array<int, 4>{2, 16, 30, 44}));
    }
}

TEST(VersionWindow, TextsStayInsideTheWindowWithoutOverlapping) {
    VersionWindow window(sampleVersionTexts(), nullptr);
    const QRect client = window.rect();
    const QList<QLabel*> labels = window.findChildren<QLabel*>();
    ASSERT_GE(labels.size(), 7);
    for (const QLabel* label : labels) {
        const QRect area(label->mapTo(&window, QPoint(0, 0)), label->size());
        EXPECT_TRUE(client.contains(area)) << label->text().toStdString();
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

TEST(VersionWindow, DisablesTheMainWindowUntilClosed) {
    QWidget mainWindow;
    mainWindow.show();
    auto window = makeSampleVersionWindow(&mainWindow);
    window->show();
    EXPECT_FALSE(mainWindow.isEnabled());
    EXPECT_TRUE(window->isEnabled());
    EXPECT_TRUE(window->okButton()->isEnabled());

    EXPECT_TRUE(window->close());
    EXPECT_TRUE(mainWindow.isEnabled());

    // The OK button closes it too, and giving the window back twice does no harm.
    auto again = makeSampleVersionWindow(&mainWindow);
    again->show();
    EXPECT_FALSE(mainWindow.isEnabled());
    QTest::mouseClick(again->okButton(), Qt::LeftButton);
    EXPECT_FALSE(again->isVisible());
    EXPECT_TRUE(mainWindow.isEnabled());
    again.reset();
    EXPECT_TRUE(mainWindow.isEnabled());
}

TEST(VersionWindow, DestructionAndAVanishedMainWindowAreSafe) {
    QWidget mainWindow;
    {
        VersionWindow window(sampleVersionTexts(), &mainWindow);
        EXPECT_FALSE(mainWindow.isEnabled());
    }
    EXPECT_TRUE(mainWindow.isEnabled());

    auto gone = std::make_unique<QWidget>();
    VersionWindow window(sampleVersionTexts(), gone.get());
    gone.reset();
    EXPECT_TRUE(window.close());

    VersionWindow alone(sampleVersionTexts(), nullptr);
    EXPECT_TRUE(alone.close());
}

TEST(WindowBlock, ReleasesOnceAndToleratesNoWindow) {
    QWidget window;
    {
        WindowBlock block(&window);
        EXPECT_FALSE(window.isEnabled());
        block.release();
        EXPECT_TRUE(window.isEnabled());
        // Disabled again by someone else: the released block must not undo that.
        window.setEnabled(false);
    }
    EXPECT_FALSE(window.isEnabled());
    WindowBlock none(nullptr);
    none.release();
}

TEST(FileInfoWindow, StartsWithTheSevenWordsAndTakesTheCoreTexts) {
    SongInfoWindow window;
    EXPECT_EQ(window.size(), QSize(482, 121));
    EXPECT_TRUE(window.windowTitle().isEmpty());
    const QStringList words = {"書庫名", "ファイル名",  "著作権", "SMFﾌｫｰﾏｯﾄ",
                               "BPM",    "トラック数 ", "分解能"};
    for (int i = 0; i < SongInfoWindow::RowCount; ++i) {
        EXPECT_EQ(window.rowText(static_cast<SongInfoWindow::Row>(i)), words[i]);
        EXPECT_TRUE(window.row(static_cast<SongInfoWindow::Row>(i))->value().isEmpty());
    }

    window.setBpmText(QStringLiteral("BPM  120"));
    window.showFileInfo(sampleFileInfoTexts());
    const player::FileInfoTexts texts = sampleFileInfoTexts();
    EXPECT_EQ(window.rowText(SongInfoWindow::Archive), texts.archive);
    EXPECT_EQ(window.rowText(SongInfoWindow::File), texts.file);
    EXPECT_EQ(window.rowText(SongInfoWindow::Copyright), texts.copyright);
    EXPECT_EQ(window.rowText(SongInfoWindow::Format), texts.format);
    EXPECT_EQ(window.rowText(SongInfoWindow::Tracks), texts.tracks);
    EXPECT_EQ(window.rowText(SongInfoWindow::Division), texts.division);
    EXPECT_EQ(window.rowText(SongInfoWindow::Tempo), QStringLiteral("BPM  120"));
    EXPECT_EQ(window.row(SongInfoWindow::Tracks)->word(), QStringLiteral("トラック数"));
    EXPECT_EQ(window.row(SongInfoWindow::Tracks)->value(), QStringLiteral("5"));
    EXPECT_EQ(window.row(SongInfoWindow::Archive)->value(),
              QStringLiteral("/home/user/Music/demo"));
    // Blanks inside a value belong to it.
    window.showFileInfo({QStringLiteral("書庫名  a  b"), {}, {}, {}, {}, {}});
    EXPECT_EQ(window.row(SongInfoWindow::Archive)->value(), QStringLiteral("a  b"));
}

TEST(FileInfoWindow, RowsStackBetweenTheRulesWithWordsLeftOfTheRule) {
    SongInfoWindow window;
    window.showFileInfo(sampleFileInfoTexts());
    int previousBottom = 0;
    for (int i = 0; i < SongInfoWindow::RowCount; ++i) {
        const InfoRow& row = *window.row(static_cast<SongInfoWindow::Row>(i));
        EXPECT_GT(row.y(), previousBottom) << i;
        previousBottom = row.geometry().bottom();
        EXPECT_GE(row.height(), QFontMetrics(row.font()).ascent()) << i;
        const int rule = window.ruleX() - row.x();
        // The whole word fits left of the rule; the value starts right of it.
        EXPECT_LE(QFontMetrics(row.font()).horizontalAdvance(row.word()), row.wordRight()) << i;
        EXPECT_LT(row.wordRight(), rule) << i;
        EXPECT_GT(row.valueLeft(), rule) << i;
    }
    EXPECT_LE(previousBottom, window.findChild<QWidget*>(QStringLiteral("Picture1"))->height());
}

TEST(FileInfoWindow, SitsBelowTheMainWindowAndKeepsItsLookWhenTheOwnerIsDisabled) {
    QWidget mainWindow;
    mainWindow.setGeometry(100, 150, 400, 300);
    mainWindow.show();
    SongInfoWindow window(&mainWindow);
    const QRect frame(100, 120, 402, 331);
    window.placeBelow(frame);
    EXPECT_EQ(window.pos(), QPoint(100, 451));
    EXPECT_EQ(window.frameGeometry().topLeft(), QPoint(100, 451));

    mainWindow.setEnabled(false);
    EXPECT_TRUE(window.isEnabled());
    const QImage image = window.grab().toImage();
    EXPECT_EQ(image.pixelColor(0, 0), QColor(32, 32, 64));
    EXPECT_EQ(image.pixelColor(window.width() - 1, window.height() - 1), QColor(32, 32, 64));
}

TEST(ProgressWindow, ThreeRowsThatStartEmptyAndFollowTheEntries) {
    ProgressWindow window;
    EXPECT_EQ(window.windowTitle(), QStringLiteral("ファイルの解析中…"));
    EXPECT_EQ(window.size(), QSize(421, 61));
    EXPECT_TRUE(window.pathText().isEmpty());
    EXPECT_TRUE(window.fileText().isEmpty());
    EXPECT_TRUE(window.titleText().isEmpty());
    const std::array<QString, 3> captions = {"書庫名：", "ファイル名：", "タイトル："};
    const std::array<int, 3> rowTops = {2, 22, 42};
    const std::array<ElidedLabel*, 3> values = {window.pathLabel(), window.fileLabel(),
                                                window.titleLabel()};
    for (int i = 0; i < 3; ++i) {
        const auto* caption = window.findChild<QLabel*>(QStringLiteral("L%1").arg(i + 1));
        ASSERT_NE(caption, nullptr);
        EXPECT_EQ(caption->text(), captions[static_cast<std::size_t>(i)]);
        EXPECT_EQ(caption->geometry().right() + 1, 61);
        EXPECT_TRUE(caption->alignment() & Qt::AlignRight);
        EXPECT_LE(QFontMetrics(caption->font()).horizontalAdvance(caption->text()),
                  caption->width());
        const ElidedLabel* value = values[static_cast<std::size_t>(i)];
        EXPECT_EQ(value->x(), 64);
        EXPECT_EQ(value->width(), 355);
        EXPECT_EQ(value->y(), caption->y());
        EXPECT_EQ(value->y(), rowTops[static_cast<std::size_t>(i)]);
    }

    window.showEntry(
        {QStringLiteral("one.mid"), QStringLiteral("/music/set"), QStringLiteral("First")});
    window.showEntry(
        {QStringLiteral("夜.mid"), QStringLiteral("/music/pack.lzh"), QStringLiteral("夜の曲")});
    EXPECT_EQ(window.pathText(), QStringLiteral("/music/pack.lzh"));
    EXPECT_EQ(window.fileText(), QStringLiteral("夜.mid"));
    EXPECT_EQ(window.titleText(), QStringLiteral("夜の曲"));
    EXPECT_EQ(window.fileLabel()->shownText(), QStringLiteral("夜.mid"));
}

TEST(ProgressWindow, LongValuesAreShortenedOnScreenOnly) {
    ProgressWindow window;
    const QString longPath =
        QStringLiteral("/music/") + QString(300, u'x') + QStringLiteral("/end.lzh");
    window.showEntry({QStringLiteral("a\nb.mid"), longPath, QString()});
    EXPECT_EQ(window.pathText(), longPath);
    const QString shown = window.pathLabel()->shownText();
    EXPECT_LT(shown.size(), longPath.size());
    EXPECT_TRUE(shown.startsWith(QStringLiteral("/music/")));
    EXPECT_TRUE(shown.endsWith(QStringLiteral("end.lzh")));
    EXPECT_LE(QFontMetrics(window.pathLabel()->font()).horizontalAdvance(shown),
              window.pathLabel()->width());
    EXPECT_EQ(window.pathLabel()->toolTip(), longPath);
    EXPECT_EQ(window.fileLabel()->shownText(), QStringLiteral("a b.mid"));
    EXPECT_EQ(window.fileText(), QStringLiteral("a\nb.mid"));
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
    const QString keep = qEnvironmentVariable("VESK_INFO_SCREENSHOTS");
    if (!keep.isEmpty()) {
        EXPECT_TRUE(saveInfoScreenshots(keep));
    }
}

}  // namespace
}  // namespace vesk::ui
