#pragma once

#include "commands/statuspanels.h"

#include <QObject>
#include <QString>
#include <QUrl>

namespace browser {
class BrowserView;
}

namespace shell {

// What the window is told of the shown tab's page: the caption and the address box follow it,
// and s2 says how its load ended ("下载完成", or "打开失败" with the engine's reason). Pages
// loading behind the shown one say nothing here.
class TabPageReports : public QObject {
    Q_OBJECT
public:
    TabPageReports(const QUrl &favouritesUrl, QObject *parent);

    // The caption (without the title on the favourites page) and the address box show the
    // page; s2 shows its address too with `withAddressPanel`.
    void showPage(const browser::BrowserView &view, bool withAddressPanel);
    void loadEnded(const browser::BrowserView &view, bool ok);
    void reloadedForReading(const browser::BrowserView &view);

signals:
    void windowCaptionChanged(const QString &caption);
    void addressChanged(const QString &address);
    void panelTextChanged(commands::Panel panel, const QString &text);

private:
    QUrl m_favouritesUrl;
};

} // namespace shell
