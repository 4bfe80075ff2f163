#include "linkscanner.h"

#include "common/linkaddress.h"
#include "common/textsearch.h"
#include "common/urlrules.h"

#include <QSet>

namespace links {

namespace {

enum class Kind { Skip, Take };

// Each command takes links by their scheme, read by its syntax alone ("files/f1.zip" and
// "mailbox.html" are relative); every value taken is resolved as the engine resolves it.
Kind classify(QStringView value, LinkCommand command) {
    const qsizetype length = common::urlSchemeLength(value);
    const QStringView scheme = value.first(length);
    const auto is = [&](QStringView name) {
        return scheme.compare(name, Qt::CaseInsensitive) == 0;
    };
    const bool relative = length == 0;
    const bool http = is(u"http") || is(u"https");
    const bool file = is(u"file");
    const bool mail = is(u"mailto");
    const bool ftp = is(u"ftp");
    bool take = false;
    switch (command) {
    case LinkCommand::OpenAllW:
    case LinkCommand::OpenSelectA:
        take = relative || http || file;
        break;
    case LinkCommand::OpenAllX:
        take = relative;
        break;
    case LinkCommand::OpenAllJ:
        take = http;
        break;
    case LinkCommand::OpenPageA:
        take = relative || http || file || mail || ftp;
        break;
    case LinkCommand::SaveToHref:
        take = true;
        break;
    }
    return take ? Kind::Take : Kind::Skip;
}

} // namespace

std::optional<LinkCommand> linkCommandFromName(QStringView name) {
    struct Entry {
        QStringView name;
        LinkCommand command;
    };
    static const Entry table[] = {
        {u"openallw", LinkCommand::OpenAllW},     {u"opencwpallwz", LinkCommand::OpenPageA},
        {u"openallx", LinkCommand::OpenAllX},     {u"openallj", LinkCommand::OpenAllJ},
        {u"opensallp", LinkCommand::OpenSelectA}, {u"savehref", LinkCommand::SaveToHref},
    };
    for (const Entry &entry : table) {
        if (entry.name == name)
            return entry.command;
    }
    return std::nullopt;
}

QList<HarvestedLink> scanLinkCandidates(QStringView scanText, const QString &pageUrl,
                                        LinkCommand command, const QString &charset) {
    struct Value {
        qsizetype attribute;
        qsizetype open;
        qsizetype close;
    };
    QList<Value> values;
    std::optional<QStringView> baseHref;
    qsizetype pos = -1;
    qsizetype previous = 0;
    // One pass finds the values and the first <base href> (which counts for the links before
    // it too). The attribute name is exact (HREF= is not a link): the case-blind search
    // proposes, the exact comparison decides.
    while ((pos = common::indexOfCI(scanText, u"href=", pos + 1)) >= 0) {
        if (!baseHref)
            baseHref = common::baseElementHrefAt(scanText, pos, previous);
        previous = pos;
        if (!scanText.sliced(pos).startsWith(u"href="))
            continue;
        qsizetype open = pos + 5;
        if (open < scanText.size() && scanText[open] != u'"' && scanText[open] != u'\'')
            ++open;
        if (open >= scanText.size() || (scanText[open] != u'"' && scanText[open] != u'\''))
            continue;
        const qsizetype close = scanText.indexOf(scanText[open], open + 1);
        if (close < 0)
            break; // the last value never ends: nothing after it is a link
        values.append({pos, open, close});
    }

    const bool collapse = command != LinkCommand::SaveToHref && command != LinkCommand::OpenAllJ;
    common::AddressResolver resolver(
        baseHref ? common::baseUrlFromHref(*baseHref, pageUrl, charset) : pageUrl, charset);
    QList<HarvestedLink> result;
    for (const Value &found : values) {
        const QStringView raw = scanText.sliced(found.open + 1, found.close - found.open - 1);
        QString cleaned;
        const QStringView value =
            common::linkValueNeedsCleaning(raw) ? (cleaned = common::cleanLinkValue(raw)) : raw;
        if (classify(value, command) == Kind::Skip)
            continue;
        QString url = resolver.resolveClean(value);
        if (url.isEmpty())
            continue; // no address: no base to resolve against, or a bad host
        if (collapse)
            url = common::collapsePathSlashes(url);
        result.append({url, found.attribute, found.close});
    }
    return result;
}

QList<HarvestedLink> scanLinks(QStringView scanText, const QString &pageUrl, LinkCommand command,
                               const QString &charset) {
    QList<HarvestedLink> candidates = scanLinkCandidates(scanText, pageUrl, command, charset);
    if (command == LinkCommand::SaveToHref)
        return candidates;
    // Every opening command drops repeats; all but OpenPageA drop links to non-page files.
    const bool dropNonPages = command != LinkCommand::OpenPageA;
    QList<HarvestedLink> result;
    QSet<QString> harvested;
    for (HarvestedLink &link : candidates) {
        if ((dropNonPages && common::isNonPageLink(link.url)) || harvested.contains(link.url))
            continue;
        harvested.insert(link.url);
        result.append(std::move(link));
    }
    return result;
}

QString hrefFileLines(const QList<HarvestedLink> &links) {
    QString out;
    for (qsizetype i = 0; i < links.size(); ++i)
        out += QStringLiteral("[%1]=%2\r\n").arg(i + 1).arg(links[i].url);
    return out;
}

} // namespace links
