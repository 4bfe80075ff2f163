#include "siterules.h"

#include "common/ansifile.h"
#include "text/htmltotext.h"

#include <QDir>
#include <QRegularExpression>
#include <QSet>

#include <optional>

namespace serial {

namespace {

const QString kCrLf = QStringLiteral("\r\n");

struct Selector {
    QString tag;       // lower case; empty for any
    QString attribute; // "id" or "class"
    QString value;
};

std::optional<Selector> parseSelector(const QString &selector) {
    static const QRegularExpression form(
        QStringLiteral("^([A-Za-z][A-Za-z0-9]*)?([#.])([^\\s#.]+)$"));
    const QRegularExpressionMatch match = form.match(selector.trimmed());
    if (!match.hasMatch())
        return std::nullopt;
    return Selector{match.captured(1).toLower(),
                    match.captured(2) == u"#" ? QStringLiteral("id") : QStringLiteral("class"),
                    match.captured(3)};
}

QRegularExpression attributePattern(const char *name) {
    return QRegularExpression(
        QStringLiteral("(?:^|\\s)%1\\s*=\\s*(?:\"([^\"]*)\"|'([^']*)'|([^\\s>]+))")
            .arg(QLatin1String(name)),
        QRegularExpression::CaseInsensitiveOption);
}

// The value of the attribute id or class (`name`) among a tag's `attributes`. Called for
// every tag of a page: the two patterns are made once.
QString attributeValue(QStringView attributes, const QString &name) {
    static const QRegularExpression id = attributePattern("id");
    static const QRegularExpression cls = attributePattern("class");
    const QRegularExpressionMatch match = (name == u"id" ? id : cls).match(attributes);
    if (!match.hasMatch())
        return QString();
    for (int group = 1; group <= 3; ++group) {
        if (match.capturedLength(group) > 0)
            return match.captured(group);
    }
    return QString();
}

bool matches(const Selector &selector, const QString &tag, QStringView attributes) {
    if (!selector.tag.isEmpty() && selector.tag != tag)
        return false;
    const QString value = attributeValue(attributes, selector.attribute);
    if (selector.attribute == u"id")
        return value == selector.value;
    static const QRegularExpression spaces(QStringLiteral("\\s+"));
    return value.split(spaces, Qt::SkipEmptyParts).contains(selector.value);
}

QStringList nonEmptyLines(const QString &text) {
    QStringList lines;
    for (const QString &line : QString(text).replace(kCrLf, QStringLiteral("\n")).split(u'\n')) {
        const QString simplified = line.simplified();
        if (!simplified.isEmpty())
            lines.append(simplified);
    }
    return lines;
}

} // namespace

QString siteRulesPath(const QString &folder, const QUrl &page) {
    QString host = page.host().toLower();
    host.remove(QRegularExpression(QStringLiteral("[^a-z0-9.\\-]")));
    if (host.isEmpty() || host.startsWith(u'.'))
        return QString();
    return QDir(folder).filePath(host + QStringLiteral(".ini"));
}

SiteRules parseSiteRules(QStringView text) {
    SiteRules rules;
    for (QStringView line : text.split(u'\n')) {
        line = line.trimmed();
        const qsizetype equals = line.indexOf(u'=');
        if (line.startsWith(u';') || line.startsWith(u'#') || equals <= 0)
            continue;
        const QString key = line.left(equals).trimmed().toString().toLower();
        const QString value = line.mid(equals + 1).trimmed().toString();
        if (value.isEmpty())
            continue;
        if (key == u"next")
            rules.nextLinkText = value;
        else if (key == u"content")
            rules.content = value;
        else if (key == u"drop" && !rules.dropBlocks.contains(value))
            rules.dropBlocks.append(value);
        else if (key == u"dropline" && !rules.dropLines.contains(value))
            rules.dropLines.append(value);
        else if (key == u"title")
            rules.titlePattern = value;
    }
    return rules;
}

QString formatSiteRules(const SiteRules &rules) {
    QString text = QStringLiteral("; 连续保存时本网站的规则（可以手工修改）") + kCrLf;
    const auto line = [&text](const char *key, const QString &value) {
        if (!value.isEmpty())
            text += QLatin1String(key) + u'=' + QString(value).remove(u'\r').remove(u'\n') + kCrLf;
    };
    line("next", rules.nextLinkText);
    line("content", rules.content);
    for (const QString &block : rules.dropBlocks)
        line("drop", block);
    for (const QString &dropped : rules.dropLines)
        line("dropline", dropped);
    line("title", rules.titlePattern);
    return text;
}

SiteRules readSiteRules(const QString &path) {
    if (path.isEmpty())
        return {};
    const common::TextFileContent content = common::readTextFile(path);
    return content.ok ? parseSiteRules(content.text) : SiteRules();
}

bool writeSiteRules(const QString &path, const SiteRules &rules, QString *error) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    return common::writeTextFile(path, formatSiteRules(rules), common::FileEncoding::Gb18030,
                                 error);
}

QStringList blockTexts(QStringView html, const QString &selectorText) {
    const std::optional<Selector> selector = parseSelector(selectorText);
    if (!selector)
        return {};
    static const QRegularExpression tagPattern(
        QStringLiteral("<(/?)([A-Za-z][A-Za-z0-9]*)([^>]*)>"));
    QStringList blocks;
    QRegularExpressionMatchIterator it = tagPattern.globalMatch(html);
    while (it.hasNext()) {
        const QRegularExpressionMatch open = it.next();
        const QString tag = open.captured(2).toLower();
        if (!open.capturedView(1).isEmpty() || !matches(*selector, tag, open.capturedView(3)))
            continue;
        // Its end: the matching close tag of the same name, nested ones counted.
        int depth = 1;
        qsizetype end = html.size();
        while (it.hasNext()) {
            const QRegularExpressionMatch next = it.next();
            if (next.captured(2).toLower() != tag || next.capturedView(3).endsWith(u'/'))
                continue;
            depth += next.capturedView(1).isEmpty() ? 1 : -1;
            if (depth == 0) {
                end = next.capturedStart();
                break;
            }
        }
        const QStringView inner = html.mid(open.capturedEnd(), end - open.capturedEnd());
        blocks.append(
            nonEmptyLines(text::deleteHtmlTag(QStringLiteral("<HTML>") + inner.toString() +
                                                  QStringLiteral("</HTML>"),
                                              false, true))
                .join(u'\n'));
    }
    return blocks;
}

QString applySiteRules(const QString &text, QStringView html, const SiteRules &rules) {
    if (rules.dropBlocks.isEmpty() && rules.dropLines.isEmpty())
        return text;
    const QStringList lines = QString(text).split(kCrLf);
    const qsizetype storyLines = nonEmptyLines(text).size();
    QSet<QString> dropped;
    for (const QString &selector : rules.dropBlocks) {
        for (const QString &block : blockTexts(html, selector)) {
            const QStringList blockLines = block.split(u'\n', Qt::SkipEmptyParts);
            if (blockLines.size() * 2 > storyLines)
                continue; // the story itself
            for (const QString &line : blockLines)
                dropped.insert(line);
        }
    }
    QStringList kept;
    for (const QString &line : lines) {
        const QString simplified = line.simplified();
        bool drop = dropped.contains(simplified);
        for (const QString &start : rules.dropLines)
            drop = drop || (!simplified.isEmpty() && simplified.startsWith(start));
        if (!drop)
            kept.append(line);
    }
    return kept.join(kCrLf);
}

QString titleBySiteRules(const QString &pageTitle, const SiteRules &rules) {
    if (rules.titlePattern.isEmpty())
        return QString();
    const QRegularExpression pattern(rules.titlePattern);
    if (!pattern.isValid())
        return QString();
    const QRegularExpressionMatch match = pattern.match(pageTitle);
    if (!match.hasMatch())
        return QString();
    return (pattern.captureCount() >= 1 ? match.captured(1) : match.captured(0)).simplified();
}

} // namespace serial
