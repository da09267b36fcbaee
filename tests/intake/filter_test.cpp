#include <gtest/gtest.h>

#include "intake/intake.h"
#include "intake/member_filter.h"

namespace vesk::test {
namespace {

using intake::openFilesFilter;

TEST(OpenFilesFilter, OffersOnlyWhatCanBeTakenNow) {
    config::ModuleState module;
    config::Settings settings;
    settings.useLhasa = false;
    EXPECT_EQ(openFilesFilter(module, settings),
              QStringLiteral("対応ﾌｧｲﾙ|*.mid;*.rmi;*.mlt;*.MLT|MIDIﾌｧｲﾙ (*.MID *.RMI)|*.mid;*.rmi"
                             "|ﾏﾙﾁﾘｽﾄﾌｧｲﾙ (*.MLT)|*.MLT"));

    settings.useLhasa = true;
    const QString lhasa = openFilesFilter(module, settings);
    EXPECT_TRUE(lhasa.startsWith(QStringLiteral("対応ﾌｧｲﾙ|*.mid;*.rmi;*.mlt;*.LZH;*.ZIP;*.MLT|")));
    EXPECT_FALSE(lhasa.contains(QStringLiteral("RAR")));

    module.haveRcpConverter = module.haveRarReader = module.haveLzhReader = module.haveZipReader =
        true;
    settings.useLhasa = false;
    EXPECT_EQ(openFilesFilter(module, settings),
              QStringLiteral(
                  "対応ﾌｧｲﾙ|*.mid;*.rmi;*.mlt;*.RCP;*.R18;*.R36;*.G18;*.G36;*.LZH;*.ZIP;*.RAR;*.MLT"
                  "|MIDIﾌｧｲﾙ (*.MID *.RMI)|*.mid;*.rmi"
                  "|ﾚｺﾝﾎﾟｰｻﾞﾌｧｲﾙ (*.RCP *.R18 *.R36 *.G18 *.G36)|*.RCP;*.R18;*.R36;*.G18;*.G36"
                  "|LHAｱｰｶｲﾌﾞ (*.LZH)|*.LZH|ZIPｱｰｶｲﾌﾞ (*.ZIP)|*.ZIP|RARｱｰｶｲﾌﾞ (*.RAR)|*.RAR"
                  "|ﾏﾙﾁﾘｽﾄﾌｧｲﾙ (*.MLT)|*.MLT"));
}

TEST(OpenFilesFilter, QtFiltersKeepThePairsInOrder) {
    EXPECT_EQ(intake::qtNameFilters(QStringLiteral("対応ﾌｧｲﾙ|*.mid;*.MLT|MIDIﾌｧｲﾙ (*.MID)|*.mid")),
              (QStringList{"対応ﾌｧｲﾙ (*.mid *.MLT)", "MIDIﾌｧｲﾙ (*.MID) (*.mid)"}));
}

TEST(MemberFilter, WildcardsIgnoreCaseAndCrossFolders) {
    using intake::wildcardMatch;
    EXPECT_TRUE(wildcardMatch(QStringLiteral("*.mid"), QStringLiteral("Dir/SONG.MID")));
    EXPECT_TRUE(wildcardMatch(QStringLiteral("s?ng*"), QStringLiteral("sOng")));
    EXPECT_FALSE(wildcardMatch(QStringLiteral("*.mid"), QStringLiteral("song.midi")));
    EXPECT_FALSE(wildcardMatch(QStringLiteral("?"), QString()));
    EXPECT_TRUE(wildcardMatch(QStringLiteral("**"), QString()));
    // Many stars against a long text that almost matches must still end quickly.
    EXPECT_FALSE(wildcardMatch(QString(40, u'*') + u'b', QString(20000, u'a')));
}

TEST(MemberFilter, UnsafeNamesAreRecognised) {
    using intake::safeRelativePath;
    EXPECT_EQ(safeRelativePath(QStringLiteral("a/./b.mid")), QStringLiteral("a/b.mid"));
    EXPECT_EQ(safeRelativePath(QStringLiteral("a\\b.mid")), QStringLiteral("a/b.mid"));
    EXPECT_EQ(safeRelativePath(QStringLiteral("..name.mid")), QStringLiteral("..name.mid"));
    for (const char* bad : {"../a.mid", "a/../../b", "/etc/x", "\\\\server\\x", "c:x.mid", "", "./",
                            "a\\..\\..\\b"}) {
        EXPECT_FALSE(safeRelativePath(QString::fromLatin1(bad))) << bad;
    }
}

TEST(MemberFilter, RarRuleComparesTheTailOfThePattern) {
    using intake::rarWanted;
    EXPECT_TRUE(rarWanted(QStringLiteral("x.MID"), QStringLiteral("*.mid")));
    EXPECT_TRUE(rarWanted(QStringLiteral("amid"), QStringLiteral("*.mid")));
    EXPECT_FALSE(rarWanted(QStringLiteral("id"), QStringLiteral("*.mid")));
    EXPECT_TRUE(rarWanted(QStringLiteral("any"), QStringLiteral("*")));
    EXPECT_FALSE(rarWanted(QStringLiteral("a.mid"), QStringLiteral("a.mi")));
    EXPECT_TRUE(rarWanted(QStringLiteral("b.txt"), QStringLiteral("*.mid  *.txt")));
    EXPECT_TRUE(intake::isSingleMemberRequest(QStringLiteral("song.mid")));
    EXPECT_FALSE(intake::isSingleMemberRequest(QStringLiteral("*.mid")));
    EXPECT_FALSE(intake::isSingleMemberRequest(QStringLiteral("my song.mid")));
}

}  // namespace
}  // namespace vesk::test
