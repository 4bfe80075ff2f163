#include "tabcaptions.h"

#include "tabmanager.h"
#include "tabstrip.h"

#include "browser/browserview.h"

#include <QFontMetrics>
#include <QIcon>
#include <QStyle>
#include <QTabBar>

namespace shell {

namespace {

constexpr int kCaptionWidth = TabStrip::kCaptionWidth; // pixels of title a tab shows

} // namespace

TabCaptions::TabCaptions(TabManager &tabs) : QObject(&tabs), m_tabs(tabs) {
    m_timer.setSingleShot(true);
    m_timer.setInterval(150);
    connect(&m_timer, &QTimer::timeout, this, &TabCaptions::refresh);
}

void TabCaptions::pageChanged(int viewNumber) {
    m_stale.insert(viewNumber);
    if (!m_timer.isActive())
        m_timer.start();
}

void TabCaptions::setLoading(int viewNumber, bool loading) {
    if (loading)
        m_loading.insert(viewNumber);
    else
        m_loading.remove(viewNumber);
    pageChanged(viewNumber);
}

void TabCaptions::allChanged() {
    for (int position = 1; position <= m_tabs.tabCount(); ++position)
        m_stale.insert(m_tabs.viewNumberAt(position));
    if (!m_timer.isActive())
        m_timer.start();
}

void TabCaptions::forget(int viewNumber) {
    m_loading.remove(viewNumber);
    m_stale.remove(viewNumber);
}

void TabCaptions::refresh() {
    m_timer.stop();
    if (m_stale.isEmpty())
        return;
    QTabBar *bar = m_tabs.tabBar();
    m_tabs.holdBarLayout(); // each caption set would lay out the whole bar
    const QFontMetrics metrics = bar->fontMetrics();
    const QIcon loading = bar->style()->standardIcon(QStyle::SP_BrowserReload);
    for (int position = 1; position <= m_tabs.tabCount(); ++position) {
        const int number = m_tabs.viewNumberAt(position);
        if (!m_stale.contains(number))
            continue;
        const browser::BrowserView *view = m_tabs.viewAtPosition(position);
        const QString title = view ? view->title() : QString();
        const QUrl url = view ? view->url() : QUrl();
        const bool marked = m_tabs.isMarked(position);
        const bool saved = m_savedCheck && !url.isEmpty() && m_savedCheck(url);
        // Only what changed is set again: every set lays the bar out anew.
        const int index = position - 1;
        const QString caption =
            tabCaption(number, title, url, marked, saved, metrics, kCaptionWidth);
        if (bar->tabText(index) != caption)
            bar->setTabText(index, caption);
        bar->setTabToolTip(index, tabToolTip(title, url, marked));
        const bool isLoading = m_loading.contains(number);
        if (bar->tabIcon(index).isNull() == isLoading)
            bar->setTabIcon(index, isLoading ? loading : QIcon());
    }
    m_stale.clear();
    emit refreshed();
}

QString tabCaption(int viewNumber, const QString &title, const QUrl &url, bool marked, bool saved,
                   const QFontMetrics &metrics, int maxWidth) {
    QString name = title.simplified();
    if (name.isEmpty())
        name = url.isEmpty() ? QStringLiteral("新网页") : url.toDisplayString();
    const QString prefix = (marked ? QStringLiteral("★") : QString()) +
                           (saved ? QStringLiteral("[存]") : QString()) +
                           QString::number(viewNumber) + u' ';
    return prefix + metrics.elidedText(name, Qt::ElideRight,
                                       qMax(maxWidth - metrics.horizontalAdvance(prefix), 20));
}

QString tabToolTip(const QString &title, const QUrl &url, bool marked) {
    QString tip = title.isEmpty() ? url.toDisplayString() : title + u'\n' + url.toDisplayString();
    if (marked)
        tip += QStringLiteral("\n（已做标记：删除所有网页时保留）");
    return tip;
}

} // namespace shell
