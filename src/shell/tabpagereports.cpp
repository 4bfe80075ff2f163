#include "tabpagereports.h"

#include "browser/browserview.h"

namespace shell {

using commands::Panel;

namespace {

const QString kCaption = QStringLiteral("Lumaro浏览器2.0");

} // namespace

TabPageReports::TabPageReports(const QUrl &favouritesUrl, QObject *parent)
    : QObject(parent), m_favouritesUrl(favouritesUrl) {}

void TabPageReports::showPage(const browser::BrowserView &view, bool withAddressPanel) {
    const bool favourites = view.url() == m_favouritesUrl;
    emit windowCaptionChanged(favourites ? kCaption
                                         : kCaption + QStringLiteral("  ") + view.title());
    const QString address = view.url().toString();
    emit addressChanged(address);
    if (withAddressPanel)
        emit panelTextChanged(Panel::Message, address);
}

void TabPageReports::loadEnded(const browser::BrowserView &view, bool ok) {
    // A button of the favourites page asks for its command by a navigation that is never made.
    if (!ok && view.refusedLeave().scheme() == QLatin1String("favcmd"))
        return;
    if (!ok && !view.refusedLeave().isEmpty())
        emit panelTextChanged(Panel::Message,
                              QStringLiteral("已阻止保存的网页自己打开 %1（点击它的链接才会打开）")
                                  .arg(view.refusedLeave().toString().left(300)));
    else if (ok)
        emit panelTextChanged(Panel::Message, view.url().toString() + QStringLiteral("下载完成"));
    else
        emit panelTextChanged(
            Panel::Message,
            QStringLiteral("打开失败：%1（%2）")
                .arg(view.loadError().isEmpty() ? QStringLiteral("网页没有载入") : view.loadError(),
                     view.url().toString()));
}

void TabPageReports::reloadedForReading(const browser::BrowserView &view) {
    emit panelTextChanged(Panel::Message,
                          QStringLiteral("这个网页为节省内存释放过，已重新载入后读取：") +
                              view.title());
}

} // namespace shell
