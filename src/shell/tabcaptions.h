#pragma once

#include <QObject>
#include <QSet>
#include <QString>
#include <QTimer>
#include <QUrl>

#include <functional>

class QFontMetrics;

namespace shell {

class TabManager;

// Keeps the tabs' captions, tooltips and loading icons up to date with their pages, a few
// times a second at most: hundreds of pages loading at once must not repaint the strip for
// each of them.
class TabCaptions : public QObject {
    Q_OBJECT
public:
    explicit TabCaptions(TabManager &tabs);

    void pageChanged(int viewNumber); // its caption is redone shortly
    void setLoading(int viewNumber, bool loading);
    void forget(int viewNumber); // its view is gone
    void allChanged();           // every caption is redone shortly
    // Tells whether the page at an address is saved in the save folder (its tab shows "[存]").
    void setSavedCheck(std::function<bool(const QUrl &)> check) { m_savedCheck = std::move(check); }
    void refresh(); // redoes the stale captions now

signals:
    void refreshed();

private:
    TabManager &m_tabs;
    QTimer m_timer;
    QSet<int> m_stale;   // view numbers
    QSet<int> m_loading; // view numbers
    std::function<bool(const QUrl &)> m_savedCheck;
};

// What a tab shows of its page: the view number and the title (or the address while there is
// no title), elided to `maxWidth` pixels, after a star when the tab is marked and "[存]" when
// the page is saved in the save folder.
// Example: tabCaption(12, "第三章 雨夜", {}, false, true, fm, 200) == "[存]12 第三章 雨夜".
QString tabCaption(int viewNumber, const QString &title, const QUrl &url, bool marked, bool saved,
                   const QFontMetrics &metrics, int maxWidth);

// The tooltip of a tab: the title over the address, and a note on marked tabs.
QString tabToolTip(const QString &title, const QUrl &url, bool marked);

} // namespace shell
