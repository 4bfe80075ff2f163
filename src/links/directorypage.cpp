#include "directorypage.h"

#include <QSet>

namespace links {

QString directoryPage(const QList<DirectoryEntry> &entries) {
    QString page = QStringLiteral(
        "<html><head><title>Tirsane网</title><STYLE type=text/css>A:link "
        "{TEXT-DECORATION:none;COLOR:#000077}A:visited {TEXT-DECORATION:none;COLOR:#000077}A:hover "
        "{COLOR:red}li{FONT-WEIGHT:normal;FONT-FAMILY:MS Sans Serif,Verdana,Arial}</STYLE></head>"
        "<body bgcolor=#ffffd6><span style=\"FONT-SIZE: 12px; LINE-HEIGHT: 160%\"><UL>\r\n");
    QSet<QString> listed;
    for (const DirectoryEntry &entry : entries) {
        if (listed.contains(entry.address))
            continue;
        listed.insert(entry.address);
        const QString title = entry.title.isEmpty() ? QStringLiteral("unTitle") : entry.title;
        page += QStringLiteral("<li><a href=\"") + entry.address.toHtmlEscaped() +
                QStringLiteral("\" target=_blank>") + title.toHtmlEscaped() +
                QStringLiteral("</a></li>\r\n");
    }
    page += QStringLiteral("</UL></span></body></html>\r\n");
    return page;
}

} // namespace links
