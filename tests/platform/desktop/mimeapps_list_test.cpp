// Reading and rewriting mimeapps.list without disturbing what other applications keep in it.
#include <gtest/gtest.h>

#include <QRandomGenerator>

#include "platform/desktop/desktop_files.h"
#include "platform/desktop/mimeapps_list.h"

namespace vesk::platform::desktop {
namespace {

const QByteArray Sample =
    "# kept by the desktop\r\n"
    "[Default Applications]\r\n"
    "text/plain=gedit.desktop;\r\n"
    "audio/midi = timidity.desktop;\r\n"
    "\r\n"
    "[X-Vendor Extras]\r\n"
    "audio/midi=odd.desktop\r\n"
    "bytes=\xff\xfe\r\n"
    "\r\n"
    "[Added Associations]\r\n"
    "application/zip=ark.desktop;\r\n";

TEST(MimeAppsList, UntouchedFileComesBackByteForByte) {
    EXPECT_EQ(MimeAppsList::parse(Sample).serialize(), Sample);
    const QByteArray noBreak = "[Default Applications]\nimage/png=a.desktop";
    EXPECT_EQ(MimeAppsList::parse(noBreak).serialize(), noBreak);
    EXPECT_EQ(MimeAppsList::parse({}).serialize(), QByteArray());
}

TEST(MimeAppsList, ValuesAreTakenFromTheirOwnGroupOnly) {
    const MimeAppsList list = MimeAppsList::parse(Sample);
    EXPECT_EQ(list.value(DefaultApplicationsGroup, "audio/midi"), "timidity.desktop;");
    EXPECT_EQ(list.value("X-Vendor Extras", "audio/midi"), "odd.desktop");
    EXPECT_EQ(list.value(AddedAssociationsGroup, "audio/midi"), std::nullopt);
    EXPECT_EQ(list.value(RemovedAssociationsGroup, "application/zip"), std::nullopt);
}

TEST(MimeAppsList, ChangesTouchOnlyTheirLines) {
    MimeAppsList list = MimeAppsList::parse(Sample);
    list.setValue(DefaultApplicationsGroup, "audio/midi", "veskmidi.desktop;");
    list.setValue(AddedAssociationsGroup, "application/x-lha", "veskmidi.desktop;");
    list.setValue(RemovedAssociationsGroup, "application/zip", "veskmidi.desktop;");
    const QByteArray out = list.serialize();
    EXPECT_TRUE(
        out.startsWith("# kept by the desktop\r\n[Default Applications]\r\n"
                       "text/plain=gedit.desktop;\r\naudio/midi=veskmidi.desktop;\r\n"
                       "\r\n[X-Vendor Extras]\r\naudio/midi=odd.desktop\r\n"
                       "bytes=\xff\xfe\r\n"))
        << out.constData();
    EXPECT_TRUE(
        out.contains("application/zip=ark.desktop;\r\n"
                     "application/x-lha=veskmidi.desktop;\r\n"));
    EXPECT_TRUE(
        out.endsWith("x-lha=veskmidi.desktop;\r\n\r\n[Removed Associations]\r\n"
                     "application/zip=veskmidi.desktop;\r\n"));

    const MimeAppsList again = MimeAppsList::parse(out);
    EXPECT_EQ(again.value(DefaultApplicationsGroup, "audio/midi"), "veskmidi.desktop;");
    EXPECT_EQ(again.value("X-Vendor Extras", "audio/midi"), "odd.desktop");

    MimeAppsList removing = MimeAppsList::parse(out);
    EXPECT_TRUE(removing.remove(DefaultApplicationsGroup, "audio/midi"));
    EXPECT_FALSE(removing.remove(DefaultApplicationsGroup, "audio/midi"));
    EXPECT_EQ(removing.value("X-Vendor Extras", "audio/midi"), "odd.desktop");
}

TEST(MimeAppsList, RepeatedGroupsAndKeysEndAsOneLine) {
    MimeAppsList list = MimeAppsList::parse(
        "[Default Applications]\naudio/midi=a.desktop\naudio/midi=b.desktop\n"
        "[Other]\nx=1\n[Default Applications]\naudio/midi=c.desktop\nimage/png=d.desktop\n\n");
    EXPECT_EQ(list.value(DefaultApplicationsGroup, "audio/midi"), "a.desktop");
    list.setValue(DefaultApplicationsGroup, "audio/midi", "veskmidi.desktop;");
    list.setValue(DefaultApplicationsGroup, "audio/x-rmid", "veskmidi.desktop;");
    EXPECT_EQ(list.serialize(),
              "[Default Applications]\naudio/midi=veskmidi.desktop;\n"
              "audio/x-rmid=veskmidi.desktop;\n"
              "[Other]\nx=1\n[Default Applications]\nimage/png=d.desktop\n\n");
}

TEST(MimeAppsList, ArbitraryBytesNeverBreakTheParser) {
    QRandomGenerator random(20240611);
    const QByteArray alphabet = "[]=;\n\r #ab/\xff";
    for (int round = 0; round < 300; ++round) {
        QByteArray bytes;
        const int size = static_cast<int>(random.bounded(200));
        for (int i = 0; i < size; ++i) {
            bytes += random.bounded(2) == 0
                         ? alphabet.at(static_cast<int>(random.bounded(alphabet.size())))
                         : static_cast<char>(random.bounded(256));
        }
        MimeAppsList list = MimeAppsList::parse(bytes);
        ASSERT_EQ(list.serialize(), bytes);
        list.setValue(DefaultApplicationsGroup, "audio/midi", "veskmidi.desktop;");
        ASSERT_EQ(
            MimeAppsList::parse(list.serialize()).value(DefaultApplicationsGroup, "audio/midi"),
            "veskmidi.desktop;");
    }
}

TEST(DesktopFiles, ExecLineQuotesOnlyWhatTheDesktopWouldSplit) {
    EXPECT_EQ(desktopExecLine("/opt/vesk/veskmidi"), "/opt/vesk/veskmidi %F");
    EXPECT_EQ(desktopExecLine("/home/a b/veskmidi"), "\"/home/a b/veskmidi\" %F");
    // Inside quotes $ and \ are escaped, and the entry's own rule doubles each backslash.
    EXPECT_EQ(desktopExecLine("/x/$y\\z/veskmidi"), "\"/x/\\\\$y\\\\\\\\z/veskmidi\" %F");
    EXPECT_EQ(desktopExecLine("/x/100%/veskmidi"), "/x/100%%/veskmidi %F");
}

TEST(DesktopFiles, EntryLeavesArchivesAloneAndIconsEscapeTheirLabels) {
    const QByteArray entry = desktopEntry("/opt/vesk/veskmidi");
    EXPECT_TRUE(entry.startsWith("[Desktop Entry]\n"));
    EXPECT_TRUE(entry.contains("\nExec=/opt/vesk/veskmidi %F\n"));
    EXPECT_TRUE(entry.contains(
        "\nMimeType=audio/midi;audio/x-rmid;audio/x-recomposer;audio/x-vesk-multilist;\n"));
    EXPECT_FALSE(entry.contains("zip")) << "archives get the player only when the user asks";
    EXPECT_TRUE(documentIconSvg("A<B", "#123456").contains("A&lt;B"));
}

}  // namespace
}  // namespace vesk::platform::desktop
