#include "common/ansifile.h"
#include "common/htmlcharset.h"
#include "common/textdecoding.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

namespace {

using common::TextKind;

QByteArray bytesOf(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString sample(const QString &name) {
    return QDir(QStringLiteral(LUMARO_TEST_DATA "/encodings")).filePath(name);
}

struct Sample {
    const char *name;
    const char *extension;
    const char *charset;
};

class RealFiles : public ::testing::TestWithParam<Sample> {};

// Files made by iconv from real text (tests/data/encodings/make.sh), in each line-end style:
// every one reads as the text it was made from, with its own line ends.
TEST_P(RealFiles, ReadInTheirOwnCharsetWithTheirOwnLineEnds) {
    const Sample s = GetParam();
    const QString expected = QString::fromUtf8(bytesOf(sample(QString(s.name) + ".expected")));
    ASSERT_FALSE(expected.isEmpty());
    const QStringList styles = {"lf", "crlf", "cr"};
    const QStringList ends = {"\n", "\r\n", "\r"};
    for (int i = 0; i < 3; ++i) {
        const QString path = sample(QString("%1.%2.%3").arg(s.name, styles[i], s.extension));
        const common::TextFileContent file = common::readTextFile(path);
        ASSERT_TRUE(file.ok) << path.toStdString();
        EXPECT_EQ(file.charset, QByteArray(s.charset)) << path.toStdString();
        EXPECT_EQ(file.undecodable, 0) << path.toStdString();
        QString withLineEnds = expected;
        withLineEnds.replace(u'\n', ends[i]);
        EXPECT_EQ(file.text, withLineEnds) << path.toStdString();
        if (file.charset == "UTF-8" || file.charset == "GB18030") {
            EXPECT_TRUE(file.keepsBytes) << path.toStdString();
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Encodings, RealFiles,
    ::testing::Values(Sample{"gbk", "txt", "GB18030"}, Sample{"utf8", "txt", "UTF-8"},
                      Sample{"utf8bom", "txt", "UTF-8"}, Sample{"utf16le", "txt", "UTF-16LE"},
                      Sample{"utf16be", "txt", "UTF-16BE"},
                      Sample{"latin1", "html", "windows-1252"},
                      Sample{"cp1251", "html", "windows-1251"}, Sample{"big5", "html", "big5"},
                      Sample{"sjis", "html", "shift_jis"}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(DeclaredHtmlCharset, FoundAsBrowsersFindIt) {
    const struct {
        const char *html;
        const char *charset;
    } cases[] = {
        {"<meta charset=\"GBK\">", "GB18030"},
        {"<meta charset=utf-8>", "UTF-8"},
        {"<META http-equiv=\"Content-Type\" content=\"text/html; charset=koi8-r\">", "koi8-r"},
        {"<meta content='text/html;charset = \"windows-1251\"' http-equiv='content-type'>",
         "windows-1251"},
        {"<meta content=\"text/html; charset=big5\">", ""}, // content without http-equiv
        {"<!-- <meta charset=big5> --><meta charset=shift_jis>", "shift_jis"},
        {"<p title='<meta charset=big5>'>x</p><meta charset=euc-kr>", "euc-kr"},
        {"<meta charset=\"utf-16\">", "UTF-8"},
        {"<meta charset=\"iso-8859-1\">", "windows-1252"},
        {"<meta charset=\"no-such-charset\">", ""},
        {"<metadata charset=big5>", ""},
        {"<?xml version=\"1.0\" encoding='GB2312'?><html>", "GB18030"},
        {"<?xml version=\"1.0\" encoding='big5'?><meta charset=koi8-r>", "koi8-r"},
        {"<html><body>no declaration</body></html>", ""},
    };
    for (const auto &c : cases)
        EXPECT_EQ(common::declaredHtmlCharset(c.html), QByteArray(c.charset)) << c.html;
    // Only the first 1,024 bytes count.
    EXPECT_EQ(common::declaredHtmlCharset(QByteArray(1024, ' ') + "<meta charset=big5>"), "");
    EXPECT_EQ(common::declaredHtmlCharset(QByteArray(1000, ' ') + "<meta charset=big5>"), "big5");
}

TEST(ReadsAsUtf8, EuropeanTextIsUtf8AndShortGbkIsNot) {
    for (const char *utf8 :
         {"Caf\xC3\xA9 cr\xC3\xA8me", "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82",
          "K\xC3\xB6ln", "/home/u/T\xC3\xA9l\xC3\xA9\x63hargements", "\xC2\xAB Bonjour \xC2\xBB",
          "\xE4\xB8\xAD"})
        EXPECT_TRUE(common::readsAsUtf8(utf8)) << utf8;
    // GBK: "一" (D2 BB is U+04BB in UTF-8), "为" (CE AA is U+03AA), "么效".
    for (const char *gbk :
         {"\xD2\xBB", "\xCE\xAA", "\xC3\xB4\xD0\xA7", "plain ASCII", "\xD6\xD0\xCE\xC4", "\xFF"})
        EXPECT_FALSE(common::readsAsUtf8(gbk)) << gbk;
}

TEST(UndecodableBytes, SurviveARewriteAndShowAsReplacementCharacters) {
    // GB18030 "中" then a lone 0x80, a stray 0xFF, "文", a lead byte cut off at the end.
    const QByteArray gb("\xD6\xD0\x80<\xFF>\xCE\xC4\x81");
    common::DecodedText decoded = common::decodeBytes(gb, TextKind::Plain);
    EXPECT_EQ(decoded.charset, "GB18030");
    EXPECT_EQ(decoded.undecodable, 3);
    EXPECT_EQ(common::encodeKeepingBytes(decoded.text, decoded.charset), gb);
    EXPECT_EQ(common::withKeptBytesReplaced(decoded.text),
              QString::fromUtf8("中\xEF\xBF\xBD<\xEF\xBF\xBD>文\xEF\xBF\xBD"));
    // A UTF-8 file (its Chinese makes it one) with a byte no editor should have left there.
    const QByteArray utf8("\xE4\xB8\xAD\xE6\x96\x87\xE9\x93\xBE\xE6\x8E\xA5 \xFF \xC3\xA9");
    decoded = common::decodeBytes(utf8, TextKind::Plain, "UTF-8");
    EXPECT_EQ(decoded.undecodable, 1);
    EXPECT_EQ(common::encodeKeepingBytes(decoded.text, "UTF-8"), utf8);
    EXPECT_TRUE(decoded.text.endsWith(QString::fromUtf8(" é")));
    // A sequence cut off at the very end is kept too.
    for (const QByteArray &cut : {QByteArray("\xD6\xD0\x81"), QByteArray("\xE4\xB8\xAD\xE4\xB8")}) {
        decoded = common::decodeBytes(cut, TextKind::Plain, cut.size() == 3 ? "GB18030" : "UTF-8");
        EXPECT_EQ(common::encodeKeepingBytes(decoded.text, decoded.charset), cut);
        EXPECT_EQ(decoded.undecodable, cut.size() == 3 ? 1 : 2);
    }
    // A character beyond the BMP in GB18030 is text, not a kept byte.
    const QByteArray emoji("\x94\x39\xFC\x36");
    decoded = common::decodeBytes(emoji, TextKind::Plain, "GB18030");
    EXPECT_EQ(decoded.text, QString::fromUtf8("😀"));
    EXPECT_EQ(common::encodeKeepingBytes(decoded.text, "GB18030"), emoji);
}

TEST(UndecodableBytes, AFileWrittenBackKeepsItsOwnBytesOutsideTheEdit) {
    const QString path = QDir::temp().filePath("lumaro_keeps_bytes.htm");
    const QByteArray bytes("<title>\xFF\xFE\x80</title>\n<p>\xD6\xD0 remove me</p>\n");
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    common::TextFileContent file = common::readTextFile(path);
    EXPECT_TRUE(file.keepsBytes);
    file.text.replace(" remove me", "");
    ASSERT_TRUE(common::writeTextFile(path, file.text, file.encoding));
    EXPECT_EQ(bytesOf(path), QByteArray("<title>\xFF\xFE\x80</title>\n<p>\xD6\xD0</p>\n"));
    QFile::remove(path);
}

TEST(ChosenCharset, AGivenCharsetWinsAndSkipsOnlyItsOwnMark) {
    const QByteArray latin("Gr\xFC\xDF\x65");
    EXPECT_EQ(common::decodeBytes(latin, TextKind::Plain).charset, "GB18030");
    EXPECT_EQ(common::decodeBytes(latin, TextKind::Plain, "latin1").text,
              QString::fromUtf8("Grüße"));
    const QByteArray marked("\xEF\xBB\xBF\xC3\xA9");
    EXPECT_EQ(common::decodeBytes(marked, TextKind::Plain, "utf-8").text, QString::fromUtf8("é"));
    EXPECT_EQ(common::decodeBytes(marked, TextKind::Plain, "windows-1252").text,
              QString::fromUtf8("ï»¿Ã©"));
    // A declared charset counts in HTML only.
    const QByteArray page("<meta charset=windows-1251><p>\xCF\xF0\xE8\xE2\xE5\xF2</p>");
    EXPECT_TRUE(
        common::decodeBytes(page, TextKind::Html).text.contains(QString::fromUtf8("Привет")));
    EXPECT_EQ(common::decodeBytes(page, TextKind::Plain).charset, "GB18030");
}

} // namespace

// A byte-order mark inside a file is text (U+FEFF): after a byte that is no text, or as a
// second mark, it is kept, and the file's bytes come back whole.
TEST(TextDecoding, AMarkInsideAFileIsKeptAndTheBytesComeBack) {
    for (const QByteArray &bytes : {QByteArray("a\xFF\xEF\xBB\xBF"
                                               "b"),
                                    QByteArray("\xEF\xBB\xBF\xEF\xBB\xBF"
                                               "ab"),
                                    QByteArray("\xC4\xE3\xFF\xEF\xBB\xBF\xBA\xC3")}) {
        const common::DecodedText decoded = common::decodeBytes(bytes, common::TextKind::Plain);
        EXPECT_EQ(common::encodeKeepingBytes(decoded.text, decoded.charset),
                  bytes.mid(decoded.bomLength))
            << bytes.toHex().constData();
    }
}
