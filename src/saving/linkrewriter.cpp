#include "linkrewriter.h"

#include "common/linkaddress.h"
#include "common/textsearch.h"

namespace saving {

namespace {

enum class Attribute { None, Href, Src, Srcset };

bool isBlank(QChar c) {
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f';
}

// The attribute whose "=" stands at `eq`: href anywhere (as the saved pages have always been
// rewritten), src and srcset only as whole attribute names.
Attribute attributeBefore(QStringView html, qsizetype eq) {
    const auto named = [&](QStringView name, bool wholeName) {
        const qsizetype start = eq - name.size();
        return start >= 0 && html.sliced(start, name.size()) == name &&
               (!wholeName || (start > 0 && isBlank(html[start - 1])));
    };
    if (named(u"href", false))
        return Attribute::Href;
    if (named(u"src", true))
        return Attribute::Src;
    if (named(u"srcset", true))
        return Attribute::Srcset;
    return Attribute::None;
}

QString escapedForAttribute(const QString &value, QChar quote) {
    QString out = value;
    out.replace(u'&', QStringLiteral("&amp;"));
    return out.replace(quote, quote == u'"' ? QStringLiteral("&quot;") : QStringLiteral("&#39;"));
}

// The absolute address for one value, or nothing where it stays as written. Web and file
// addresses are written as the engine reads them even where they have their scheme already:
// "http:x.htm" and a query in the page's charset would read otherwise in the saved file.
std::optional<QString> absoluteAddress(QStringView cleanValue, common::AddressResolver &resolver) {
    const qsizetype schemeLength = common::urlSchemeLength(cleanValue);
    if (cleanValue.startsWith(u'#') ||
        (schemeLength > 0 &&
         !common::isSpecialScheme(common::asciiLowered(cleanValue.first(schemeLength)))))
        return std::nullopt;
    QString address = resolver.resolveClean(cleanValue);
    if (address.isEmpty())
        return std::nullopt;
    return address;
}

// A srcset list ("a.png 1x, b.png 2x") with each of its addresses made absolute.
std::optional<QString> absoluteSrcset(QStringView raw, common::AddressResolver &resolver) {
    const QString value = common::cleanLinkValue(raw);
    QString out;
    bool changed = false;
    qsizetype pos = 0;
    while (pos < value.size()) {
        qsizetype start = pos;
        while (start < value.size() && (isBlank(value[start]) || value[start] == u','))
            ++start;
        out.append(QStringView(value).sliced(pos, start - pos));
        if (start >= value.size())
            break;
        qsizetype end = start;
        while (end < value.size() && !isBlank(value[end]))
            ++end;
        qsizetype urlEnd = end;
        while (urlEnd > start && value[urlEnd - 1] == u',')
            --urlEnd;
        pos = end;
        if (urlEnd == end) { // descriptors follow, up to a comma outside parentheses
            int depth = 0;
            while (pos < value.size() && (depth > 0 || value[pos] != u',')) {
                depth += value[pos] == u'(' ? 1 : value[pos] == u')' ? -1 : 0;
                ++pos;
            }
        }
        const QStringView url = QStringView(value).sliced(start, urlEnd - start);
        if (const auto absolute = absoluteAddress(url, resolver)) {
            out.append(*absolute);
            changed = true;
        } else {
            out.append(url);
        }
        out.append(QStringView(value).sliced(urlEnd, pos - urlEnd));
    }
    if (!changed)
        return std::nullopt;
    return out;
}

} // namespace

QString rewriteLinks(QStringView html, const QString &pageUrl, const QString &charset) {
    if (!html.contains(u"href=") && !html.contains(u"src"))
        return html.toString();
    QString out;
    out.reserve(html.size() + html.size() / 8);
    qsizetype copied = 0;
    common::AddressResolver resolver(common::documentBaseUrl(html, pageUrl, charset), charset);
    qsizetype eq = html.indexOf(u'=');
    while (eq >= 0) {
        const qsizetype open = eq + 1;
        qsizetype next = eq + 1;
        const Attribute attribute = attributeBefore(html, eq);
        if (attribute != Attribute::None && open < html.size() &&
            (html[open] == u'"' || html[open] == u'\'')) {
            const qsizetype close = html.indexOf(html[open], open + 1);
            if (close < 0)
                break;
            const QStringView raw = html.sliced(open + 1, close - open - 1);
            std::optional<QString> absolute;
            if (attribute == Attribute::Srcset)
                absolute = absoluteSrcset(raw, resolver);
            else if (common::linkValueNeedsCleaning(raw))
                absolute = absoluteAddress(common::cleanLinkValue(raw), resolver);
            else
                absolute = absoluteAddress(raw, resolver);
            if (absolute) {
                out.append(html.sliced(copied, open + 1 - copied));
                out.append(escapedForAttribute(*absolute, html[open]));
                copied = close;
            }
            next = close + 1; // an "href=" inside a value is not an attribute
        }
        eq = html.indexOf(u'=', next);
    }
    out.append(html.sliced(copied));
    return out;
}

} // namespace saving
