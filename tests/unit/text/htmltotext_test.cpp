#include "text/htmltotext.h"
#include "text/htmltotext_reference.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>

#include <gtest/gtest.h>

namespace {

QString convert(const QString &html, bool deleteLink = false, bool deleteScript = false) {
    return text::deleteHtmlTag(html, deleteLink, deleteScript);
}

struct Case {
    const char *html;
    bool deleteLink;
    bool deleteScript;
    const char *expected;
};

class DeleteHtmlTagCases : public ::testing::TestWithParam<Case> {};

TEST_P(DeleteHtmlTagCases, GivesTheDefinedText) {
    const Case &c = GetParam();
    const QString html = QString::fromUtf8(c.html);
    EXPECT_EQ(convert(html, c.deleteLink, c.deleteScript), QString::fromUtf8(c.expected));
    EXPECT_EQ(referenceDeleteHtmlTag(html, c.deleteLink, c.deleteScript),
              QString::fromUtf8(c.expected));
}

INSTANTIATE_TEST_SUITE_P(
    Examples, DeleteHtmlTagCases,
    ::testing::Values(
        Case{"a&lt;b&gt;", false, false, "a<b>"},
        Case{"<P>Hello</P>", false, false, "\r\nHello\r\n"},
        Case{"Go to <a href=\"x\">home</a> now", true, false, "Go to  now"},
        Case{"Go to <a href=\"x\">home</a> now", false, false, "Go to home now"},
        Case{"x<script>var a=1;</script>y", false, false, "xvar a=1;y"},
        Case{"x<SCRIPT>var a=1;</Script>y", false, true, "xy"},
        Case{"<b>Hello</b>World", false, false, "HelloWorld"},
        Case{"a > b <i>c</i>", false, false, "a  b c"}, Case{"", true, true, ""},
        Case{"&amp;amp;", false, false, "&"}, Case{"&amp;nbsp;x", false, false, "x"},
        Case{"&amp;lt;", false, false, "&lt;"}, Case{"&AMP;QUOT;", false, false, "\""},
        Case{"&#20013;&nbsp;", false, false, "&#20013;"},
        Case{"<p align=center>a<br/>b<BR>c", false, false, "ab\r\nc"},
        Case{"  中文  <br>  ", false, false, "中文  \r\n"},
        Case{"1 &lt;b&gt; 2", false, false, "1 <b> 2"},
        // "<abbr" starts a link for the link cut; text before the problem point survives.
        Case{"k<abbr>x</abbr>y</a>z", true, false, "kz"},
        Case{"a</a>b<a>c</a>d", true, false, "abd"}, Case{"a</a>b", true, false, "ab"},
        Case{"p</script>q<script>r</script>s", false, true, "pqs"},
        // A cut that brings "<" and "a" together forms a new start tag.
        Case{"1<<a>x</a>a>y</a>2", true, false, "12"}, Case{"x <y <z> w", false, false, "x  w"},
        Case{"<<>>", false, false, ""}, Case{"a<b", false, false, "a<b"}));

// Random tag and entity soup built from pieces that interact: the differential test compares
// the fast conversion with the literal one on thousands of such texts.
QString randomSoup(QRandomGenerator &rng, int pieces) {
    static const char *const parts[] = {
        "<",      ">",      "a",       "A",         "</a>",     "</A>",      "<a",   "<A href='x'>",
        "<abbr>", "script", "<script", "</script>", "<SCRIPT>", "</sCrIpT>", "<br>", "<BR>",
        "<p>",    "</p>",   "<P>",     "&",         "amp;",     "&amp;",     "&lt;", "&gt;",
        "&nbsp;", "&quot;", "nbsp;",   "lt;",       "quot;",    " ",         "  ",   "中",
        "\r\n",   "/",      "p>",      "br>",       "</",       "<b>",       "x",    "&AMP;",
        "İ",      "K"};
    QString s;
    for (int i = 0; i < pieces; ++i)
        s += QString::fromUtf8(parts[rng.bounded(int(std::size(parts)))]);
    return s;
}

TEST(DeleteHtmlTag, MatchesTheLiteralConversionOnRandomSoup) {
    QRandomGenerator rng(20261207);
    for (int round = 0; round < 4000; ++round) {
        const QString html = randomSoup(rng, 1 + rng.bounded(60));
        for (int flags = 0; flags < 4; ++flags) {
            const bool link = flags & 1;
            const bool script = flags & 2;
            ASSERT_EQ(convert(html, link, script), referenceDeleteHtmlTag(html, link, script))
                << "input: " << html.toStdString() << " link=" << link << " script=" << script;
        }
    }
}

TEST(DeleteHtmlTag, MatchesTheLiteralConversionOnRealPages) {
    const QDir data(QStringLiteral(LUMARO_TEST_DATA "/pages"));
    const QStringList pages = data.entryList({QStringLiteral("*.htm*")}, QDir::Files);
    ASSERT_FALSE(pages.isEmpty());
    for (const QString &name : pages) {
        QFile file(data.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QString html = QString::fromUtf8(file.readAll());
        for (int flags = 0; flags < 4; ++flags) {
            EXPECT_EQ(convert(html, flags & 1, flags & 2),
                      referenceDeleteHtmlTag(html, flags & 1, flags & 2))
                << name.toStdString() << " flags " << flags;
        }
    }
}

TEST(DeleteHtmlTag, SurvivesArbitraryCharacters) {
    QRandomGenerator rng(7);
    for (int round = 0; round < 200; ++round) {
        QString s;
        for (int i = 0; i < 200; ++i)
            s += QChar(char16_t(rng.bounded(0x10000)));
        EXPECT_EQ(convert(s, true, true), referenceDeleteHtmlTag(s, true, true));
    }
}

} // namespace
