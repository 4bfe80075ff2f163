#include "linkscanner.h"

#include "common/textsearch.h"
#include "common/urlrules.h"

#include <QSet>

namespace links {

namespace {

enum class Kind { Skip, Absolute, Relative };

bool startsWithCI(QStringView value, QStringView lowerPrefix) {
    return common::matchesAt(value, 0, lowerPrefix);
}

bool isPageScheme(const QString &scheme) {
    return scheme == QLatin1String("http") || scheme == QLatin1String("https") ||
           scheme == QLatin1String("file");
}

// The prefix rules of each command decide first; a value they call relative that has a
// scheme of its own is never given the base.
Kind classify(QStringView value, LinkCommand command) {
    const bool http = startsWithCI(value, u"http");
    const bool file = startsWithCI(value, u"file");
    const bool mail = startsWithCI(value, u"mail");
    const bool ftp = startsWithCI(value, u"ftp");
    Kind kind = Kind::Relative;
    switch (command) {
    case LinkCommand::OpenAllW:
        kind = (ftp || mail) ? Kind::Skip : (http || file) ? Kind::Absolute : Kind::Relative;
        break;
    case LinkCommand::OpenAllX:
        kind = (http || mail || file || ftp) ? Kind::Skip : Kind::Relative;
        break;
    case LinkCommand::OpenAllJ:
        kind = http ? Kind::Absolute : Kind::Skip;
        break;
    case LinkCommand::OpenPageA:
    case LinkCommand::SaveToHref:
        kind = (http || file || mail || ftp) ? Kind::Absolute : Kind::Relative;
        break;
    case LinkCommand::OpenSelectA:
        kind = (startsWithCI(value, u"ftp:") || startsWithCI(value, u"mailt"))    ? Kind::Skip
               : (startsWithCI(value, u"http:") || startsWithCI(value, u"file:")) ? Kind::Absolute
                                                                                  : Kind::Relative;
        break;
    }
    if (kind != Kind::Relative || !hasScheme(value))
        return kind;
    if (command == LinkCommand::SaveToHref)
        return Kind::Absolute;
    if (command == LinkCommand::OpenSelectA && isPageScheme(schemeOf(value)))
        return Kind::Absolute;
    return Kind::Skip;
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
                                        LinkCommand command) {
    const bool collapse = command != LinkCommand::SaveToHref && command != LinkCommand::OpenAllJ;
    QList<HarvestedLink> result;
    const LinkResolver resolver(pageUrl);
    qsizetype pos = -1;
    // The attribute name is exact (HREF= is not a link): the case-blind search proposes,
    // the exact comparison decides.
    while ((pos = common::indexOfCI(scanText, u"href=", pos + 1)) >= 0) {
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
        const QStringView value = scanText.sliced(open + 1, close - open - 1);
        const Kind kind = classify(value, command);
        if (kind == Kind::Skip)
            continue;
        QString url = kind == Kind::Absolute ? value.toString() : resolver.resolve(value);
        if (url.isEmpty() && kind == Kind::Relative)
            continue; // no base to resolve against
        if (collapse)
            url = collapsePathSlashes(url);
        result.append({url, pos, close});
    }
    return result;
}

QList<HarvestedLink> scanLinks(QStringView scanText, const QString &pageUrl, LinkCommand command) {
    QList<HarvestedLink> candidates = scanLinkCandidates(scanText, pageUrl, command);
    if (command == LinkCommand::SaveToHref)
        return candidates;
    // Every opening command drops repeats; all but OpenPageA drop links to non-page files.
    const bool dropNonPages = command != LinkCommand::OpenPageA;
    QList<HarvestedLink> result;
    QSet<QString> harvested;
    for (HarvestedLink &link : candidates) {
        if ((dropNonPages && isNonPageLink(link.url)) || harvested.contains(link.url))
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
