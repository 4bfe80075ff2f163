#include "saving/fallbackname.h"
#include "saving/filenaming.h"

#include <gtest/gtest.h>

namespace {

using saving::correctName;
using saving::correctNameHaveSpace;
using saving::extractFileName;

TEST(CorrectName, RemovesEveryUnwantedCharacterAndNothingElse) {
    EXPECT_EQ(correctName(u"Page 2: A.B"), "Page2AB");
    EXPECT_EQ(correctNameHaveSpace(u"Page 2: A.B"), "Page 2 AB");
    EXPECT_EQ(correctName(u"a<b"), "ab");
    EXPECT_EQ(correctName(u"..."), "");
    EXPECT_EQ(correctName(u"a\tb"), "a\tb");
    EXPECT_EQ(correctName(u"/\\:?*<>|\"\r\n x.y"), "xy");
    EXPECT_EQ(correctName(u"第一章 风雨"), "第一章风雨");
    EXPECT_EQ(correctNameHaveSpace(u" a\r\nb "), " ab ");
}

TEST(ExtractFileName, FindsTheMarkersInAnyCaseAndKeepsThePageLetters) {
    const QString before = "<FONT color=#0000ff size=4><B>";
    const QString after = "</B></FONT>";
    const QString page = "<html><font COLOR=#0000FF size=4><b>Chapter 1: <I>Rain</I></b></font>";
    EXPECT_EQ(extractFileName(page, before, after), QString("Chapter1Rain"));
    EXPECT_EQ(extractFileName(u"<b>x</b>", before, after), std::nullopt);
    EXPECT_EQ(extractFileName(u"<font color=#0000ff size=4><b>x", before, after), std::nullopt);
    EXPECT_EQ(extractFileName(u"<font color=#0000ff size=4><b><i></i>.</b></font>", before, after),
              QString(""));
}

TEST(ExtractFileName, ClosesTheUndefinedCasesWithoutLosingTheName) {
    // A ">" before a "<" that never closes: the tag stripping stops, cleaning removes the rest.
    EXPECT_EQ(extractFileName(u"[a>b<c]", u"[", u"]"), QString("abc"));
    // The after-marker inside the before-marker is looked for again behind it.
    EXPECT_EQ(extractFileName(u"xabcNAMEbc", u"abc", u"bc"), QString("NAME"));
    // Empty markers: found where the search starts.
    EXPECT_EQ(extractFileName(u"Hello", u"", u""), QString("H"));
}

TEST(MakeSavePath, JoinsWithOneSeparator) {
    EXPECT_EQ(saving::makeSavePath("/", "x", ".htm"), "/x.htm");
    EXPECT_EQ(saving::makeSavePath("/data/pages", "x", ".htm"), "/data/pages/x.htm");
    EXPECT_EQ(saving::makeSavePath("/data/pages/", "第一章", ".txt"), "/data/pages/第一章.txt");
}

TEST(FitFileName, CutsAtACharacterBoundaryWithinTheByteLimit) {
    EXPECT_EQ(saving::fitFileName("short", ".htm"), "short");
    const QString chinese(300, QChar(u'中'));
    const QString fitted = saving::fitFileName(chinese, ".htm");
    EXPECT_EQ(fitted.size(), 83); // 83 * 3 bytes + 4 <= 255
    const QString emoji = QString::fromUtf8("😀").repeated(100);
    const QString cut = saving::fitFileName(emoji, ".htm");
    EXPECT_EQ(cut.size() % 2, 0);
    EXPECT_LE((cut + ".htm").toUtf8().size(), 255);
}

TEST(CorrectName, DropsInvisibleCharactersThatChangeHowANameReads) {
    // "txt.exe" made to read "exe.txt" by a right-to-left override, and its like.
    for (const char16_t hidden : {u'\u202E', u'\u202A', u'\u202D', u'\u2066', u'\u2069', u'\u200E',
                                  u'\u200F', u'\u061C', u'\u2028', u'\u2029', u'\u0085', u'\u0000',
                                  u'\u001B', u'\u007F', u'\u009F', u'\uFFFC', u'\uFFF9'}) {
        const QString name = QString("ab") + QChar(hidden) + "c";
        EXPECT_EQ(correctName(name), "abc") << int(hidden);
        EXPECT_EQ(correctNameHaveSpace(name), "abc") << int(hidden);
    }
    EXPECT_EQ(correctName(u"a\tb\u200Bc"), u"a\tb\u200Bc"); // a tab and other text stay
}

TEST(FallbackName, TheTitleUnlessItIsTheAddressThenTheDate) {
    const QDateTime when(QDate(2026, 12, 7), QTime(15, 30, 12));
    const QUrl url("http://127.0.0.1:23527/notitle.htm");
    EXPECT_EQ(saving::untitledName(when), "无标题-2026-12-07-153012");
    EXPECT_EQ(saving::nameOrFallback("x", "Title", url, when), "x");
    EXPECT_EQ(saving::nameOrFallback("", " A: b ", url, when), "Ab");
    for (const char *shown :
         {"127.0.0.1:23527/notitle.htm", "http://127.0.0.1:23527/notitle.htm", " ??? ", ""})
        EXPECT_EQ(saving::nameOrFallback("", shown, url, when), "无标题-2026-12-07-153012")
            << shown;
    const QUrl local = QUrl::fromLocalFile("/home/u/页面 1.htm");
    EXPECT_EQ(saving::shownTitle(local.toString(), local), "");
    EXPECT_EQ(saving::shownTitle("/home/u/页面 1.htm", local), "");
    EXPECT_EQ(saving::shownTitle("页面 1", local), "页面 1");
}

} // namespace
