#include "common/characterreferences.h"
#include "common/linkaddress.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

namespace {

struct AddressCase {
    QString input;
    QString base;
    QString baseElement; // "" when the page has none
    QString charset;
    QString href; // "" for a failure
};

std::vector<AddressCase> addressCases() {
    QFile file(QStringLiteral(LUMARO_TEST_DATA "/links/addresses.json"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    std::vector<AddressCase> cases;
    for (const QJsonValue &entry : QJsonDocument::fromJson(file.readAll()).array()) {
        if (!entry.isObject())
            continue; // comments
        const QJsonObject object = entry.toObject();
        cases.push_back({object["input"].toString(), object["base"].toString(),
                         object["baseElement"].toString(), object["charset"].toString(),
                         object["failure"].toBool() ? QString() : object["href"].toString()});
    }
    return cases;
}

class AddressTable : public ::testing::TestWithParam<AddressCase> {};

TEST_P(AddressTable, GivesTheEngineAddress) {
    const AddressCase &c = GetParam();
    const QString page = c.baseElement.isEmpty()
                             ? QString()
                             : QStringLiteral("<head><base href=\"%1\"></head>").arg(c.baseElement);
    common::AddressResolver resolver(common::documentBaseUrl(page, c.base, c.charset), c.charset);
    EXPECT_EQ(resolver.resolve(c.input), c.href) << c.input.toStdString();
    EXPECT_EQ(resolver.resolveWithoutShortcut(c.input), c.href) << c.input.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Data, AddressTable, ::testing::ValuesIn(addressCases()));

TEST(AddressTableFile, IsRead) {
    EXPECT_GT(addressCases().size(), 80u);
}

TEST(DocumentBaseUrl, TakesTheFirstBaseElementWithAnHref) {
    const QString page = "http://h.example/dir/p.htm";
    EXPECT_EQ(common::documentBaseUrl(u"<head><title>t</title></head>", page), page);
    EXPECT_EQ(common::documentBaseUrl(
                  u"<base target=\"_blank\"><BASE HREF='/a/'><base href=\"/b/\">", page),
              "http://h.example/a/");
    EXPECT_EQ(common::documentBaseUrl(u"<base href=/c/ target=_top>", page), "http://h.example/c/");
    EXPECT_EQ(common::documentBaseUrl(u"<basefont href=\"/x/\"><a data-href=\"/y/\">", page), page);
    EXPECT_EQ(common::documentBaseUrl(u"<base href=\"http://[bad/\">", page), page);
    EXPECT_EQ(common::documentBaseUrl(u"<base href=\"?q=中\">", page, "GBK"),
              "http://h.example/dir/p.htm?q=%D6%D0");
}

TEST(DecodeCharacterReferences, FollowsTheAttributeRules) {
    EXPECT_EQ(common::decodeCharacterReferences(u"a&amp;b&AMP;c&lt&gt;"), "a&b&c<>");
    EXPECT_EQ(common::decodeCharacterReferences(u"&#20013;&#x6587;&#X6587"), "中文文");
    EXPECT_EQ(common::decodeCharacterReferences(u"&#;&#x;&;&&zz;"), "&#;&#x;&;&&zz;");
    EXPECT_EQ(common::decodeCharacterReferences(u"&#99999999999;&#xD800;"), "\uFFFD\uFFFD");
    EXPECT_EQ(common::decodeCharacterReferences(u"&copy=1&copy1&copy;&hellip;&hellip"),
              "&copy=1&copy1©…&hellip");
    EXPECT_EQ(common::decodeCharacterReferences(u"&#x1F600;&Omega;&sigmaf;"), "😀Ως");
}

// The shortcut for plain names must agree with the parser everywhere.
TEST(AddressResolver, ShortcutAgreesWithTheParser) {
    const QStringList pages = {"http://h.example/api/all.html",
                               "http://h.example/a/b.php?x=1#f",
                               "https://h.example:8080/",
                               "file:///tmp/d/page.htm",
                               "http://h.example",
                               "http://h.example/dir/",
                               "http://h.example/%E4%B8%AD/a%20b.htm?q=%D6%D0"};
    const QStringList values = {"fs.html",
                                "fs.html#x",
                                "#top",
                                "?p=2",
                                "?p=2#a",
                                "a/b/c.htm",
                                "a?b=c&d=e",
                                "x:y",
                                "a#b#c",
                                "a/./b",
                                "a/../b",
                                "..",
                                ".",
                                "a b",
                                "中文.htm",
                                "a%20b",
                                "a.",
                                "a/.b",
                                "#",
                                "?",
                                "a?x=/../y",
                                "a'b?c'd",
                                "!$()*+,;=",
                                "a\\b",
                                "#a b",
                                "?a b",
                                "http://o.example/a/b.htm?x=1#y",
                                "https://o.example/",
                                "http://O.example/",
                                "http://o.example",
                                "http://o.example/./a",
                                "http://o.example/a/../b",
                                "http://o.example:80/",
                                "http://o.example/a b",
                                "http://xn--bcher-kva.example/",
                                "http://o.example/a:b",
                                "https://o_x.example/",
                                "http://o.example/a?b#c#d"};
    for (const QString &page : pages) {
        common::AddressResolver resolver(page, "GBK");
        for (const QString &value : values)
            EXPECT_EQ(resolver.resolve(value), resolver.resolveWithoutShortcut(value))
                << page.toStdString() << " + " << value.toStdString();
    }
}

TEST(DeclaredCharset, ReadsMetaElements) {
    EXPECT_EQ(common::declaredCharset(u"<meta name=x><META CHARSET=\"gb2312\">"), "gb2312");
    EXPECT_EQ(common::declaredCharset(
                  u"<meta http-equiv=\"Content-Type\" content=\"text/html; charset=GBK\">"),
              "GBK");
    EXPECT_EQ(common::declaredCharset(u"<html><p>charset=big5</p>"), "");
}

} // namespace
