#include "selectionlinks.h"

#include "linkscanner.h"

#include "common/textsearch.h"
#include "common/urlrules.h"
#include "text/htmltotext.h"

#include <QSet>

namespace links {

namespace {

// Where a link's text lies: strictly between the first ">" and the first "</a>" after its
// "href=". Too short (fewer than two characters) or missing counts as no text.
struct TextSpan {
    qsizetype start = -1;
    qsizetype end = -1;
    bool usable() const { return start >= 0 && end - start >= 2; }
};

TextSpan textSpanAfter(QStringView html, qsizetype href) {
    const qsizetype gt = html.indexOf(u'>', href);
    const qsizetype close = common::indexOfCI(html, u"</a>", href);
    if (gt < 0 || close < 0 || close < gt + 1)
        return {};
    return {gt + 1, close};
}

QString linkText(QStringView html, TextSpan span) {
    QString text = html.sliced(span.start, span.end - span.start).trimmed().toString();
    const bool markup = text.contains(u'<') && text.contains(u'>');
    const QString lower = common::asciiLowered(text);
    if (markup || lower.contains(u"&gt;") || lower.contains(u"&lt;") || lower.contains(u"&nbsp;") ||
        lower.contains(u"&amp;") || lower.contains(u"&quot;"))
        text = text::deleteHtmlTag(text, false, false);
    return text;
}

} // namespace

QStringList selectedLinks(QStringView scanText, const QString &pageUrl, QStringView selection,
                          const QString &charset) {
    const QString lowerSelection = selection.toString().toLower();
    const auto inSelection = [&](const QString &text) {
        return lowerSelection.contains(text.toLower());
    };
    QStringList opened;
    QSet<QString> harvested;
    bool run = false;
    TextSpan following;
    for (const HarvestedLink &link :
         scanLinkCandidates(scanText, pageUrl, LinkCommand::OpenSelectA, charset)) {
        if (harvested.contains(link.url))
            continue;
        const TextSpan own = textSpanAfter(scanText, link.attribute);
        if (!own.usable())
            continue;
        if (!inSelection(linkText(scanText, own))) {
            run = false;
            continue;
        }
        const qsizetype next = scanText.indexOf(u"href=", link.attribute + 1);
        if (next >= 0)
            following = textSpanAfter(scanText, next);
        if (!following.usable())
            continue;
        const bool followingIn = inSelection(linkText(scanText, following));
        if (!run && !followingIn)
            continue;
        run = followingIn;
        if (common::isNonPageLink(link.url))
            continue;
        harvested.insert(link.url);
        opened.append(link.url);
    }
    return opened;
}

QStringList urlsInText(QStringView text) {
    QStringList urls;
    for (qsizetype hit = text.indexOf(u"http"); hit >= 0; hit = text.indexOf(u"http", hit + 1)) {
        qsizetype end = hit;
        while (end < text.size()) {
            const QChar c = text[end];
            // A line end of any kind ends it: files written here end lines with LF alone.
            if (c == u' ' || c == u'"' || c == u'\'' || c == u'>' || c == u'\r' || c == u'\n')
                break;
            ++end;
        }
        urls.append(text.sliced(hit, end - hit).toString());
    }
    return urls;
}

QString linkTextAt(QStringView scanText, qsizetype href) {
    const TextSpan span = textSpanAfter(scanText, href);
    return span.usable() ? linkText(scanText, span) : QString();
}

} // namespace links
