#include "chapterstore.h"

#include "common/ansifile.h"
#include "serial/chaptertitle.h"
#include "serial/clutter.h"
#include "serial/markup.h"
#include "serial/nextlink.h"
#include "text/htmltotext.h"

#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>

namespace commands {

namespace {

const QString kCrLf = QStringLiteral("\r\n");

// Removes other files of chapter `number` (saved before under another title).
void removeOtherFiles(QDir dir, int number, const QString &keep) {
    const QString prefix = QStringLiteral("%1").arg(number, 4, 10, QLatin1Char('0'));
    for (const QString &name : dir.entryList({prefix + QLatin1Char('*')}, QDir::Files)) {
        if (name != keep && serial::chapterNumberOf(name) == number)
            dir.remove(name);
    }
}

// The lines that only say "go to the next page" end a page, not the chapter.
QString withoutPageTurn(const QString &body) {
    QStringList lines = body.split(kCrLf);
    while (!lines.isEmpty() && serial::endsUnfinished(lines.last()) && lines.last().size() < 40)
        lines.removeLast();
    return lines.join(kCrLf);
}

} // namespace

QString chapterText(const QString &articleJson, const QString &innerHtml) {
    const QJsonObject article = QJsonDocument::fromJson(articleJson.toUtf8()).object();
    const QString content = article.value(QStringLiteral("content")).toString();
    const QString html = content.trimmed().isEmpty() ? innerHtml : content;
    QString text = text::deleteHtmlTag(QStringLiteral("<HTML>") + html + QStringLiteral("</HTML>"),
                                       false, true);
    // Blank lines the markup leaves between paragraphs are dropped, and so are the site's own
    // lines that the article reader takes in on short chapters (its footer, the comments), and
    // the page's headings: the chapter file's first line names the chapter.
    const QStringList headings = serial::headingTexts(innerHtml);
    QStringList linkTexts;
    for (const serial::PageLink &link : serial::pageLinks(innerHtml))
        linkTexts.append(link.text);
    // Longer texts first: "别的书一" goes before a link "别的" can cut it.
    std::sort(linkTexts.begin(), linkTexts.end(),
              [](const QString &a, const QString &b) { return a.size() > b.size(); });
    linkTexts.erase(std::unique(linkTexts.begin(), linkTexts.end()), linkTexts.end());
    QStringList lines;
    for (const QString &line : text.replace(kCrLf, QStringLiteral("\n")).split(QLatin1Char('\n'))) {
        const QString trimmed = line.trimmed();
        if (!trimmed.isEmpty() && !serial::isClutterLine(trimmed) &&
            !headings.contains(trimmed.simplified()) &&
            !serial::isMadeOfLinks(trimmed, linkTexts, headings))
            lines.append(trimmed);
    }
    return lines.join(kCrLf);
}

int ChapterStore::lastSavedNumber(const QString &folder) {
    const QDir dir(folder);
    int last = 0;
    const common::TextFileContent index =
        common::readTextFile(dir.filePath(serial::kIndexFileName));
    for (const serial::IndexEntry &entry : serial::parseIndex(index.text))
        last = qMax(last, entry.number);
    for (const QString &name : dir.entryList(QDir::Files))
        last = qMax(last, serial::chapterNumberOf(name));
    return last;
}

void ChapterStore::open(const QString &folder, int count, bool continuing, bool asHtml) {
    m_folder = folder;
    m_asHtml = asHtml;
    m_index.clear();
    m_added.clear();
    m_head.clear();
    m_seen.clear();
    m_number = 0;
    QString index = common::readTextFile(QDir(folder).filePath(serial::kIndexFileName)).text;
    index.replace(kCrLf, QStringLiteral("\n"));
    for (const QString &line : index.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const QList<serial::IndexEntry> entries = serial::parseIndex(line);
        if (!entries.isEmpty() && entries.first().number > count)
            continue;
        m_head += line + kCrLf;
        for (const serial::IndexEntry &entry : entries) {
            m_index.append(entry);
            m_seen.insert(serial::chainKey(entry.address));
        }
    }
    if (!continuing || count <= 0)
        return;
    m_number = count;
    m_title = titleOf(count);
    QString text = common::readTextFile(QDir(folder).filePath(fileName(count, m_title))).text;
    if (m_asHtml) {
        text.remove(0, text.startsWith(QLatin1String("<html>")) ? 6 : 0);
        text.chop(text.endsWith(QLatin1String("</html>")) ? 7 : 0);
    } else {
        text = text.mid(m_title.size() + 2 * kCrLf.size());
        text.chop(text.endsWith(kCrLf) ? kCrLf.size() : 0);
    }
    m_body = text;
}

QString ChapterStore::titleOf(int number) const {
    for (const QList<serial::IndexEntry> *list : {&m_added, &m_index}) {
        for (const serial::IndexEntry &entry : *list) {
            if (entry.number == number)
                return entry.title;
        }
    }
    return {};
}

void ChapterStore::see(const QUrl &url) {
    m_seen.insert(serial::chainKey(url));
}

QString ChapterStore::fileName(int number, const QString &title) const {
    return serial::chapterFileName(number, title,
                                   m_asHtml ? QStringLiteral(".htm") : QStringLiteral(".txt"));
}

bool ChapterStore::startChapter(int number, const QString &title, const QUrl &address,
                                const QString &body, QString *error) {
    m_number = number;
    m_title = title;
    m_body = body;
    if (!writeChapter(error))
        return false;
    m_added.append({number, title, address, QDateTime::currentDateTime()});
    m_seen.insert(serial::chainKey(address));
    return writeIndex(error);
}

bool ChapterStore::addPage(const QString &body, QString *error) {
    m_body = (m_asHtml ? m_body : withoutPageTurn(m_body)) + kCrLf + body;
    return writeChapter(error);
}

bool ChapterStore::retitle(int number, const QString &title, QString *error) {
    const auto added = std::find_if(m_added.begin(), m_added.end(),
                                    [number](const auto &entry) { return entry.number == number; });
    if (added == m_added.end() || added->title == title)
        return true;
    const QString old = added->title;
    const QDir dir(m_folder);
    const QString path = dir.filePath(fileName(number, old));
    common::TextFileContent content = common::readTextFile(path);
    if (!m_asHtml && content.ok && content.text.startsWith(old + kCrLf))
        content.text.replace(0, old.size(), title);
    if (!content.ok || !common::writeTextFile(dir.filePath(fileName(number, title)), content.text,
                                              m_asHtml ? common::FileEncoding::Utf8WithBom
                                                       : common::FileEncoding::Gb18030,
                                              error))
        return false;
    removeOtherFiles(dir, number, fileName(number, title));
    added->title = title;
    if (m_number == number)
        m_title = title;
    return writeIndex(error);
}

bool ChapterStore::writeChapter(QString *error) {
    const QDir dir(m_folder);
    const QString name = fileName(m_number, m_title);
    const bool written =
        m_asHtml
            ? common::writeTextFile(dir.filePath(name),
                                    QStringLiteral("<html>") + m_body + QStringLiteral("</html>"),
                                    common::FileEncoding::Utf8WithBom, error)
            : common::writeTextFile(dir.filePath(name), m_title + kCrLf + kCrLf + m_body + kCrLf,
                                    common::FileEncoding::Gb18030, error);
    if (written)
        removeOtherFiles(dir, m_number, name);
    return written;
}

bool ChapterStore::writeIndex(QString *error) {
    return common::writeTextFile(QDir(m_folder).filePath(serial::kIndexFileName),
                                 m_head + serial::formatIndex(m_added),
                                 common::FileEncoding::Gb18030, error);
}

} // namespace commands
