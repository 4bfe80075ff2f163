#include "cssreferences.h"

namespace saving {

namespace {

bool isNameCharacter(QChar c) {
    return c.isLetterOrNumber() || c == u'-' || c == u'_' || c.unicode() >= 0x80;
}

bool isSpace(QChar c) {
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f';
}

bool startsWithCaseless(QStringView css, qsizetype at, QLatin1StringView word) {
    return css.sliced(at).startsWith(word, Qt::CaseInsensitive);
}

// Reads a CSS escape after the backslash at `at`: the character it stands for, and moves `at`
// past it.
QString readEscape(QStringView css, qsizetype &at) {
    ++at; // the backslash
    if (at >= css.size())
        return QString();
    qsizetype digits = 0;
    char32_t value = 0;
    while (digits < 6 && at + digits < css.size()) {
        const char16_t c = css[at + digits].unicode();
        const int digit = c >= u'0' && c <= u'9'   ? c - u'0'
                          : c >= u'a' && c <= u'f' ? c - u'a' + 10
                          : c >= u'A' && c <= u'F' ? c - u'A' + 10
                                                   : -1;
        if (digit < 0)
            break;
        value = value * 16 + char32_t(digit);
        ++digits;
    }
    if (digits == 0) {
        if (css[at] == u'\n')
            return ++at, QString(); // an escaped line end continues the string
        return QString(css[at++]);
    }
    at += digits;
    if (at < css.size() && isSpace(css[at]))
        ++at;
    if (value == 0 || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
        value = 0xFFFD;
    return QString::fromUcs4(&value, 1);
}

// Reads the string whose opening quote is at `at`; moves `at` past its closing quote.
QString readString(QStringView css, qsizetype &at) {
    const QChar quote = css[at++];
    QString text;
    while (at < css.size() && css[at] != quote) {
        if (css[at] == u'\\')
            text += readEscape(css, at);
        else if (css[at] == u'\n')
            return text; // a string cut by its line end
        else
            text += css[at++];
    }
    if (at < css.size())
        ++at;
    return text;
}

// Reads `url(...)` starting at `at` (on the "u"); false when it is no whole one.
bool readUrl(QStringView css, qsizetype &at, QString &address) {
    qsizetype i = at + 4;
    while (i < css.size() && isSpace(css[i]))
        ++i;
    if (i < css.size() && (css[i] == u'"' || css[i] == u'\'')) {
        address = readString(css, i);
        while (i < css.size() && isSpace(css[i]))
            ++i;
    } else {
        address.clear();
        while (i < css.size() && css[i] != u')' && !isSpace(css[i])) {
            if (css[i] == u'\\')
                address += readEscape(css, i);
            else
                address += css[i++];
        }
        while (i < css.size() && isSpace(css[i]))
            ++i;
    }
    if (i >= css.size() || css[i] != u')')
        return false;
    at = i + 1;
    return true;
}

// Notes the `url(...)` at `at` and moves past it; a broken one is passed over as text.
void readUrlReference(QStringView css, qsizetype &at, bool import, QList<CssReference> &found) {
    QString address;
    const qsizetype start = at;
    if (readUrl(css, at, address))
        found.append({start, at - start, address, import});
    else
        at = start + 4;
}

} // namespace

QList<CssReference> cssReferences(QStringView css) {
    QList<CssReference> found;
    qsizetype i = 0;
    while (i < css.size()) {
        const QChar c = css[i];
        if (c == u'/' && i + 1 < css.size() && css[i + 1] == u'*') {
            const qsizetype end = css.indexOf(u"*/", i + 2);
            i = end < 0 ? css.size() : end + 2;
        } else if (c == u'"' || c == u'\'') {
            readString(css, i);
        } else if (c == u'\\') {
            readEscape(css, i);
        } else if (c == u'@' && startsWithCaseless(css, i, QLatin1StringView("@import"))) {
            qsizetype j = i + 7;
            while (j < css.size() && isSpace(css[j]))
                ++j;
            if (j < css.size() && (css[j] == u'"' || css[j] == u'\'')) {
                const qsizetype start = j;
                const QString address = readString(css, j);
                found.append({start, j - start, address, true});
            } else if (startsWithCaseless(css, j, QLatin1StringView("url("))) {
                readUrlReference(css, j, true, found);
            }
            i = j;
        } else if ((c == u'u' || c == u'U') &&
                   startsWithCaseless(css, i, QLatin1StringView("url(")) &&
                   (i == 0 || !isNameCharacter(css[i - 1]))) {
            readUrlReference(css, i, false, found);
        } else {
            ++i;
        }
    }
    return found;
}

QUrl referencedFile(const CssReference &reference, const QUrl &base) {
    const QString address = reference.address.trimmed();
    if (address.isEmpty() || address.startsWith(u'#') ||
        address.startsWith(QLatin1StringView("data:"), Qt::CaseInsensitive))
        return QUrl();
    QUrl url = base.resolved(QUrl(address));
    url.setFragment(QString());
    return url.isValid() ? url : QUrl();
}

QString replaceCssReferences(QStringView css,
                             const std::function<QString(const CssReference &)> &replacement) {
    QString out;
    out.reserve(css.size());
    qsizetype done = 0;
    for (const CssReference &reference : cssReferences(css)) {
        const QString address = replacement(reference);
        if (address.isEmpty())
            continue;
        out += css.sliced(done, reference.start - done);
        QString quoted = address;
        quoted.replace(u'\\', QLatin1StringView("\\\\")).replace(u'"', QLatin1StringView("\\\""));
        quoted.replace(u'\n', QLatin1StringView("\\a "));
        out += QLatin1StringView("url(\"") + quoted + QLatin1StringView("\")");
        done = reference.start + reference.length;
    }
    out += css.sliced(done);
    return out;
}

} // namespace saving
