#include "linkrewriter.h"

#include "common/urlrules.h"

namespace saving {

QString rewriteLinks(QStringView html, const QString &pageUrl) {
    QString out;
    out.reserve(html.size() + html.size() / 8);
    qsizetype copied = 0;
    const links::LinkResolver resolver(pageUrl);
    qsizetype pos = html.indexOf(u"href=");
    while (pos >= 0) {
        const qsizetype open = pos + 5;
        qsizetype next = pos + 1;
        if (open < html.size() && (html[open] == u'"' || html[open] == u'\'')) {
            const qsizetype close = html.indexOf(html[open], open + 1);
            if (close < 0)
                break;
            const QStringView value = html.sliced(open + 1, close - open - 1);
            if (!links::hasScheme(value) && !value.trimmed().startsWith(u'#')) {
                const QString absolute = resolver.resolve(value);
                if (!absolute.isEmpty()) {
                    out.append(html.sliced(copied, open + 1 - copied));
                    out.append(absolute);
                    copied = close;
                }
            }
            next = close + 1; // an "href=" inside a value is not an attribute
        }
        pos = html.indexOf(u"href=", next);
    }
    out.append(html.sliced(copied));
    return out;
}

} // namespace saving
