#pragma once

#include <QUrl>

#include <functional>

namespace browser {

class BrowserView;

// The tabs as commands see them: positions count from 1, first tab first; a view number is
// the number in the tab's key ("WebPage" + number).
class TabHost {
public:
    virtual ~TabHost() = default;
    virtual BrowserView *currentView() const = 0;
    virtual int currentViewNumber() const = 0;
    virtual int tabCount() const = 0;
    virtual BrowserView *viewAtPosition(int position) const = 0;
    virtual int viewNumberAt(int position) const = 0;
    virtual void selectTab(int position) = 0;
    // Opens an address in a new tab by the new-tab rules; see TabManager::openInNewTab.
    virtual BrowserView *openInNewTab(const QUrl &url, bool skipThrottle = false,
                                      bool resetRepeatGuard = false) = 0;
    // Harvest opening, for commands that open many links at once: a new tab past the throttle
    // and the repeat guard, its page loading when its turn comes (a few load at a time).
    virtual BrowserView *openHarvested(const QUrl &url) = 0;
    // Reloads a view (after its file changed on disk).
    virtual void reloadView(BrowserView *view) = 0;
};

// The system clipboard's text. A listener hears of every change made by another program;
// changes the program makes itself while an OwnUse guard is held are not reported.
class Clipboard {
public:
    virtual ~Clipboard() = default;
    virtual QString text() const = 0;
    virtual void setText(const QString &text) = 0;
    virtual void clear() = 0;

    void setChangeListener(std::function<void()> listener) { m_listener = std::move(listener); }

    // Held by the program's own reads through the clipboard (the selection copied and read
    // back): the change it makes is not a copy of the user's.
    class OwnUse {
    public:
        explicit OwnUse(Clipboard &clipboard) : m_clipboard(clipboard) { ++m_clipboard.m_ownUse; }
        ~OwnUse() { --m_clipboard.m_ownUse; }
        OwnUse(const OwnUse &) = delete;
        OwnUse &operator=(const OwnUse &) = delete;

    private:
        Clipboard &m_clipboard;
    };

protected:
    // Called by the implementation whenever the clipboard's content changed.
    void notifyChanged() {
        if (m_ownUse == 0 && m_listener)
            m_listener();
    }

private:
    std::function<void()> m_listener;
    int m_ownUse = 0;
};

// The status bar's panels by key ("s1", "s2", "s4"); "address" is the address box's text.
class StatusPanels {
public:
    virtual ~StatusPanels() = default;
    virtual void setPanelText(const QString &panel, const QString &text) = 0;
    // A notice in s2 that needs the user's eye: the window keeps it readable for some seconds,
    // with what s2 says meanwhile shown after it.
    virtual void showNotice(const QString &text) { setPanelText(QStringLiteral("s2"), text); }
};

} // namespace browser
