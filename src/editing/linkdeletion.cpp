#include "linkdeletion.h"

#include "common/textsearch.h"

namespace editing {

namespace {

// The end of the tag that starts at `open` (just after its ">"), skipping quoted attribute
// values; -1 when the tag is not closed.
qsizetype tagEnd(QStringView html, qsizetype open) {
    QChar quote;
    for (qsizetype i = open + 1; i < html.size(); ++i) {
        const QChar c = html[i];
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
        } else if (c == u'"' || c == u'\'') {
            quote = c;
        } else if (c == u'>') {
            return i + 1;
        }
    }
    return -1;
}

bool startsTag(QStringView html, qsizetype at, QStringView name) {
    if (!html.sliced(at).startsWith(name, Qt::CaseInsensitive))
        return false;
    const qsizetype after = at + name.size();
    return after < html.size() && (html[after].isSpace() || html[after] == u'>');
}

// Where a comment, script or style sheet that starts at `at` ends; -1 when none starts there.
qsizetype skippedBlockEnd(QStringView html, qsizetype at) {
    if (html.sliced(at).startsWith(u"<!--")) {
        const qsizetype end = html.indexOf(u"-->", at + 4);
        return end < 0 ? html.size() : end + 3;
    }
    for (QStringView name : {QStringView(u"<script"), QStringView(u"<style")}) {
        if (!startsTag(html, at, name))
            continue;
        const QString close = QStringLiteral("</") + name.sliced(1).toString();
        const qsizetype end = common::indexOfCI(html, close, at);
        return end < 0 ? html.size() : end;
    }
    return -1;
}

QChar decodedReference(QStringView name) {
    static const struct {
        const char16_t *name;
        char16_t character;
    } named[] = {{u"amp", u'&'},  {u"lt", u'<'},    {u"gt", u'>'},
                 {u"quot", u'"'}, {u"apos", u'\''}, {u"nbsp", u' '}};
    for (const auto &entry : named) {
        if (name == QStringView(entry.name))
            return QChar(entry.character);
    }
    if (name.startsWith(u'#')) {
        bool ok = false;
        const uint code = name.startsWith(u"#x", Qt::CaseInsensitive)
                              ? name.sliced(2).toUInt(&ok, 16)
                              : name.sliced(1).toUInt(&ok, 10);
        if (ok && code > 0 && code < 0x10000)
            return QChar(char16_t(code));
    }
    return QChar();
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
        const QChar c = html[i];
        if (c == u'<') {
            const qsizetype end = tagEnd(html, i);
            i = end < 0 ? html.size() : end;
            continue;
        }
        if (c == u'&') {
            const qsizetype semicolon = html.indexOf(u';', i + 1);
            if (semicolon > i && semicolon - i <= 10) {
                const QChar decoded = decodedReference(html.sliced(i + 1, semicolon - i - 1));
                if (!decoded.isNull()) {
                    text += decoded;
                    i = semicolon + 1;
                    continue;
                }
            }
        }
        text += c;
        ++i;
    }
    return collapseSpaces(text);
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
        if (startsTag(html, at, u"<a")) {
            const qsizetype open = tagEnd(html, at);
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
