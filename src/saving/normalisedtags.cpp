#include "normalisedtags.h"

namespace saving {

namespace {

bool startsTag(QStringView markup, qsizetype at) {
    if (at + 1 >= markup.size())
        return false;
    const QChar next = markup[at + 1];
    return next.isLetter() || next == u'/' || next == u'!' || next == u'?';
}

void appendValue(QString &out, QStringView value) {
    QString text = value.toString().toLower();
    text.replace(QStringLiteral("&amp;"), QStringLiteral("&"));
    text.replace(u'"', QStringLiteral("&quot;"));
    out += u'"' + text + u'"';
}

// Copies the tag starting at `at` ('<') in its normal form; returns the index after it.
qsizetype copyTag(QStringView markup, qsizetype at, QString &out) {
    out += u'<';
    qsizetype i = at + 1;
    bool pendingSpace = false;
    while (i < markup.size()) {
        const QChar c = markup[i];
        if (c == u'>') {
            out += u'>';
            return i + 1;
        }
        if (c.isSpace()) {
            pendingSpace = true;
            ++i;
            continue;
        }
        if (c == u'=') {
            out += u'=';
            ++i;
            while (i < markup.size() && markup[i].isSpace())
                ++i;
            if (i >= markup.size())
                break;
            const QChar quote = markup[i];
            qsizetype end;
            if (quote == u'"' || quote == u'\'') {
                end = markup.indexOf(quote, i + 1);
                if (end < 0)
                    end = markup.size();
                appendValue(out, markup.mid(i + 1, end - i - 1));
                i = qMin(end + 1, markup.size());
            } else {
                end = i;
                while (end < markup.size() && !markup[end].isSpace() && markup[end] != u'>')
                    ++end;
                appendValue(out, markup.mid(i, end - i));
                i = end;
            }
            pendingSpace = false;
            continue;
        }
        if (pendingSpace && out.back() != u'<')
            out += u' ';
        pendingSpace = false;
        out += c.toLower();
        ++i;
    }
    return markup.size();
}

} // namespace

QString normaliseTags(QStringView markup) {
    QString out;
    out.reserve(markup.size());
    qsizetype i = 0;
    while (i < markup.size()) {
        if (markup[i] == u'<' && startsTag(markup, i)) {
            i = copyTag(markup, i, out);
        } else {
            out += markup[i];
            ++i;
        }
    }
    return out;
}

} // namespace saving
