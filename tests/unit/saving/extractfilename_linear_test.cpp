// The one-pass extractFileName against the former tag stripping, which removed one tag at a
// time from the whole remaining name (quadratic, kept here as the reference it must equal).
#include "common/textsearch.h"
#include "saving/filenaming.h"

#include <QRandomGenerator>

#include <gtest/gtest.h>

namespace {

QString referenceStripTags(QString name) {
    for (;;) {
        const qsizetype a = name.indexOf(u'<');
        if (a < 0 || !name.contains(u'>'))
            return name;
        const qsizetype b = name.indexOf(u'>', a + 1);
        if (b < 0)
            return name;
        name.remove(a, b - a);
    }
}

std::optional<QString> referenceExtractFileName(QStringView html, QStringView before,
                                                QStringView after) {
    const QString lowHtml = common::asciiLowered(html);
    const QString lowBefore = common::asciiLowered(before);
    const QString lowAfter = common::asciiLowered(after);
    const qsizetype p1 = lowHtml.indexOf(lowBefore);
    if (p1 < 0)
        return std::nullopt;
    const qsizetype nameStart = p1 + before.size();
    qsizetype p2 = lowHtml.indexOf(lowAfter, p1 + 1);
    if (p2 >= 0 && p2 < nameStart)
        p2 = lowHtml.indexOf(lowAfter, nameStart);
    if (p2 < 0)
        return std::nullopt;
    return saving::correctName(
        referenceStripTags(html.sliced(nameStart, p2 - nameStart).toString()));
}

QString randomText(QRandomGenerator &random, int maxLength) {
    static const QString alphabet = QString::fromUtf8("<<>>aB b/.:章\r\n");
    QString text;
    const int length = random.bounded(maxLength + 1);
    for (int i = 0; i < length; ++i)
        text += alphabet[random.bounded(int(alphabet.size()))];
    return text;
}

TEST(ExtractFileName, EqualsTheTagByTagStrippingOnRandomPages) {
    QRandomGenerator random(20261207);
    int found = 0;
    for (int round = 0; round < 20000; ++round) {
        const QString page = randomText(random, 40);
        const QString before = randomText(random, 2);
        const QString after = randomText(random, 2);
        const auto expected = referenceExtractFileName(page, before, after);
        ASSERT_EQ(saving::extractFileName(page, before, after), expected)
            << page.toStdString() << " | " << before.toStdString() << " | " << after.toStdString();
        found += expected.has_value() && !expected->isEmpty();
    }
    EXPECT_GT(found, 1000); // the inputs reach the tag stripping, not only the misses
}

} // namespace
