// The program reads a page's bytes in the charset the engine shows it in.
#include "common/ansifile.h"
#include "e2e/windowfixture.h"

#include <QRegularExpression>

namespace {

class ReadingEndToEnd : public testing_support::WindowFixture {};

// Pages that declare their charset, made by iconv (tests/data/encodings/make.sh).
TEST_F(ReadingEndToEnd, DeclaredPagesReadAsTheEngineShowsThem) {
    for (const char *name : {"latin1", "cp1251", "big5", "sjis"}) {
        const QString path =
            QString(LUMARO_TEST_DATA "/encodings/%1.crlf.html").arg(QString::fromLatin1(name));
        const common::TextFileContent file = common::readTextFile(path);
        ASSERT_TRUE(file.ok) << name;
        browser::BrowserView *page = openAndShow(QUrl::fromLocalFile(path));
        EXPECT_EQ(file.charset.toLower(),
                  js(page, "document.characterSet").toString().toLower().toLatin1())
            << name;
        // The engine joins lines and spaces: every word it shows is in the text read.
        const QStringList words = js(page, "document.body.innerText")
                                      .toString()
                                      .split(QRegularExpression("\\s+"), Qt::SkipEmptyParts);
        EXPECT_GE(words.join(QString()).size(), 40) << name;
        for (const QString &word : words)
            EXPECT_TRUE(file.text.contains(word)) << name << ": " << word.toStdString();
        testing_support::pause(800); // past the new-tab throttle
    }
}

} // namespace
