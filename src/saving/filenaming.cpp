#include "filenaming.h"

#include "common/textsearch.h"

namespace saving {

namespace {

// Characters that change how a name reads without showing themselves: control characters
// (the tab excepted, it stays visible as a gap), the bidirectional marks, embeddings,
// overrides and isolates that can make a name read backwards, and the line and paragraph
// separators; and the object replacement character (and the annotation marks beside it) that
// stands for a form control or an image in a selection.
bool isHiddenControl(char16_t c) {
    return (c < 0x20 && c != u'\t') || (c >= 0x7F && c <= 0x9F) || c == 0x061C || c == 0x200E ||
           c == 0x200F || (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069) ||
           c == 0x2028 || c == 0x2029 || (c >= 0xFFF9 && c <= 0xFFFC);
}

QString removeChars(QStringView name, QStringView unwanted) {
    QString out;
    out.reserve(name.size());
    for (QChar c : name) {
        if (!unwanted.contains(c) && !isHiddenControl(c.unicode()))
            out.append(c);
    }
    return out;
}

// Removes tags from a name: each "<" up to the next ">" goes, the ">" stays for correctName.
// A "<" with no ">" after it stays with all that follows (correctName removes it). One pass:
// titles of a megabyte and more come from pages whose markers enclose half the page.
QString stripTags(QStringView name) {
    QString out;
    out.reserve(name.size());
    qsizetype copied = 0;
    for (;;) {
        const qsizetype open = name.indexOf(u'<', copied);
        const qsizetype close = open < 0 ? -1 : name.indexOf(u'>', open + 1);
        if (close < 0)
            break;
        out.append(name.sliced(copied, open - copied));
        copied = close;
    }
    out.append(name.sliced(copied));
    return out;
}

} // namespace

QString correctName(QStringView name) {
    return removeChars(name, u"/\\:?*<>|\" \r\n.");
}

QString correctNameHaveSpace(QStringView name) {
    return removeChars(name, u"/\\:?*<>|\"\r\n.");
}

std::optional<QString> extractFileName(QStringView html, QStringView before, QStringView after) {
    const QString lowHtml = common::asciiLowered(html);
    const QString lowBefore = common::asciiLowered(before);
    const QString lowAfter = common::asciiLowered(after);
    const qsizetype p1 = lowHtml.indexOf(lowBefore);
    if (p1 < 0)
        return std::nullopt;
    const qsizetype nameStart = p1 + before.size();
    qsizetype p2 = lowHtml.indexOf(lowAfter, p1 + 1);
    // The after-marker found inside the before-marker: look again behind the before-marker.
    if (p2 >= 0 && p2 < nameStart)
        p2 = lowHtml.indexOf(lowAfter, nameStart);
    if (p2 < 0)
        return std::nullopt;
    return correctName(stripTags(html.sliced(nameStart, p2 - nameStart)));
}

QString makeSavePath(const QString &folder, const QString &name, const QString &extension) {
    QString path = folder + u'/' + name + extension;
    path.replace(QStringLiteral("//"), QStringLiteral("/"));
    return path;
}

QString fitFileName(const QString &name, const QString &extension, int maxBytes) {
    const qsizetype budget = maxBytes - extension.toUtf8().size();
    qsizetype bytes = 0;
    for (qsizetype i = 0; i < name.size(); ++i) {
        const char16_t c = name[i].unicode();
        qsizetype width = c < 0x80 ? 1 : c < 0x800 ? 2 : 3;
        qsizetype units = 1;
        if (QChar::isHighSurrogate(c) && i + 1 < name.size() && name[i + 1].isLowSurrogate()) {
            width = 4;
            units = 2;
        }
        if (bytes + width > budget)
            return name.left(i);
        bytes += width;
        i += units - 1;
    }
    return name;
}

} // namespace saving
