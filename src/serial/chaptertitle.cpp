#include "chaptertitle.h"

#include "common/characterreferences.h"

#include <QRegularExpression>

namespace serial {

namespace {

// What sites put between a chapter's name and theirs. Not a space, a colon or a comma: chapter
// names hold those ("第一章：雨夜", "第二章：雨夜" share "：雨夜").
bool isSeparator(QChar c) {
    static const QString separators = QStringLiteral("_-|—–·");
    return separators.contains(c);
}

QString plainText(QStringView markup) {
    static const QRegularExpression tags(QStringLiteral("<[^>]*>"));
    return common::decodeCharacterReferences(markup.toString().replace(tags, QStringLiteral(" ")))
        .simplified();
}

QString trimmedSeparators(const QString &text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isSeparator(text.at(begin)))
        ++begin;
    while (end > begin && isSeparator(text.at(end - 1)))
        --end;
    return text.mid(begin, end - begin).trimmed();
}

} // namespace

QStringList headingTexts(QStringView html) {
    static const QRegularExpression heading(
        QStringLiteral("<h([1-3])(?:\\s[^>]*)?>(.*?)</h\\1\\s*>"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    QStringList texts;
    for (const QRegularExpressionMatch &match : heading.globalMatch(html)) {
        const QString text = plainText(match.capturedView(2));
        if (!text.isEmpty())
            texts.append(text);
    }
    return texts;
}

bool looksLikeChapterTitle(QStringView text) {
    static const QRegularExpression chapter(
        QStringLiteral(
            "^\\s*(第\\s*[0-9０-９零〇一二两三四五六七八九十百千万]+\\s*[章节回卷篇集话部幕]"
            "|chapter\\s*[0-9ivx]+|[0-9]+\\s*[.、．]|序章|序言|楔子|引子|尾声|番外|后记)"),
        QRegularExpression::CaseInsensitiveOption);
    return chapter.match(text).hasMatch();
}

QString withoutPageMark(const QString &title) {
    static const QRegularExpression mark(QStringLiteral(
        "\\s*[（(\\[【]\\s*(?:第?\\s*\\d+\\s*/\\s*\\d+\\s*页?|第\\s*\\d+\\s*页)\\s*[）)\\]】]"
        "|\\s*[_-]?\\s*第\\s*\\d+\\s*页\\s*$|\\s+\\d+\\s*/\\s*\\d+\\s*$"));
    QString out = title;
    out.replace(mark, QString());
    return out.simplified();
}

QString commonTitleSuffix(QStringView a, QStringView b) {
    qsizetype shared = 0;
    while (shared < a.size() && shared < b.size() &&
           a.at(a.size() - 1 - shared) == b.at(b.size() - 1 - shared))
        ++shared;
    // The shared end begins at a separator; what lies before it belongs to the titles.
    const QStringView end = a.right(shared);
    qsizetype cut = 0;
    while (cut < end.size() && !isSeparator(end.at(cut)))
        ++cut;
    while (cut > 0 && cut < end.size() && end.at(cut - 1).isSpace()) // " - 书屋"
        --cut;
    const QStringView suffix = end.mid(cut);
    if (suffix.size() >= a.size() || suffix.size() >= b.size() ||
        trimmedSeparators(suffix.toString()).isEmpty())
        return {};
    return suffix.toString();
}

QString sharedTitleSuffix(const QStringList &titles) {
    if (titles.size() < 2)
        return {};
    QString suffix = commonTitleSuffix(titles.at(0), titles.at(1));
    for (qsizetype i = 2; i < titles.size() && !suffix.isEmpty(); ++i) {
        if (!titles.at(i).endsWith(suffix))
            suffix = commonTitleSuffix(suffix, titles.at(i));
    }
    return suffix;
}

QString chapterTitle(QStringView html, const QString &pageTitle, const QString &siteSuffix) {
    for (const QString &heading : headingTexts(html)) {
        if (looksLikeChapterTitle(heading))
            return withoutPageMark(heading);
    }
    QString title = pageTitle.simplified();
    if (!siteSuffix.isEmpty() && title.endsWith(siteSuffix) && title.size() > siteSuffix.size()) {
        title.chop(siteSuffix.size());
    } else if (siteSuffix.isEmpty()) {
        static const QRegularExpression parts(QStringLiteral("\\s*(?:[_|]|\\s[-—–]\\s)\\s*"));
        const QString first = title.split(parts, Qt::SkipEmptyParts).value(0);
        if (looksLikeChapterTitle(first))
            title = first;
    }
    const QString cleaned = withoutPageMark(trimmedSeparators(title));
    return cleaned.isEmpty() ? pageTitle.simplified() : cleaned;
}

QString authorIn(QStringView html) {
    static const QRegularExpression author(
        QStringLiteral("作\\s*者\\s*[：:]\\s*([^\\s<>|/_，,。;；（(【\\[]{1,30})"));
    const QString text = plainText(html.left(200000));
    const QRegularExpressionMatch match = author.match(text);
    return match.hasMatch() ? match.captured(1).trimmed() : QString();
}

} // namespace serial
