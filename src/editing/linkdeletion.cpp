#include "linkdeletion.h"

#include "common/characterreferences.h"
#include "common/tagscan.h"
#include "common/textsearch.h"

namespace editing {

namespace {

// Where a comment, script or style sheet that starts at `at` ends; -1 when none starts there.
qsizetype skippedBlockEnd(QStringView html, qsizetype at) {
    if (html.sliced(at).startsWith(u"<!--")) {
        const qsizetype end = html.indexOf(u"-->", at + 4);
        return end < 0 ? html.size() : end + 3;
    }
    for (QStringView name : {QStringView(u"script"), QStringView(u"style")}) {
        if (!common::opensTag(html, at, name))
            continue;
        const QString close = QStringLiteral("</") + name.toString();
        const qsizetype end = common::indexOfCI(html, close, at);
        return end < 0 ? html.size() : end;
    }
    return -1;
}

QString collapseSpaces(QStringView text) {
    QString out;
    out.reserve(text.size());
    bool space = false;
    for (QChar c : text) {
        if (c.isSpace() || c == QChar(0x00a0)) {
            space = !out.isEmpty();
            continue;
        }
        if (space)
            out += u' ';
        space = false;
        out += c;
    }
    return out;
}

} // namespace

QString visibleText(QStringView html) {
    QString text;
    text.reserve(html.size());
    for (qsizetype i = 0; i < html.size();) {
        if (html[i] == u'<') {
            const qsizetype end = common::tagEnd(html, i);
            i = end < 0 ? html.size() : end;
            continue;
        }
        text += html[i++];
    }
    return collapseSpaces(common::decodeCharacterReferences(text));
}

QString removeLinksWithText(QStringView html, QStringView selection) {
    const QString wanted = collapseSpaces(selection);
    if (wanted.isEmpty())
        return html.toString();
    QString out;
    out.reserve(html.size());
    qsizetype copied = 0;
    qsizetype at = html.indexOf(u'<');
    while (at >= 0) {
        if (const qsizetype skipped = skippedBlockEnd(html, at); skipped >= 0) {
            at = html.indexOf(u'<', skipped);
            continue;
        }
        qsizetype next = at + 1;
        if (common::opensTag(html, at, u"a")) {
            const qsizetype open = common::tagEnd(html, at);
            const qsizetype close = open < 0 ? -1 : common::indexOfCI(html, u"</a>", open);
            if (close < 0)
                break;
            next = close + 4;
            if (visibleText(html.sliced(open, close - open)) == wanted) {
                out += html.sliced(copied, at - copied);
                copied = next;
            }
        }
        at = html.indexOf(u'<', next);
    }
    out += html.sliced(copied);
    return out;
}

} // namespace editing
