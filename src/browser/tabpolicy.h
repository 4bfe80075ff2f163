#pragma once

#include <QString>
#include <QStringView>

#include <optional>

// The rules of tabs and new windows, as plain values: no engine, no widgets, time passed in.
// Times are seconds on a monotonic clock.
namespace browser {

// A tab's key: "WebPage" + view number. Example: tabKey(3) == "WebPage3".
QString tabKey(int viewNumber);

// The view number of a tab key: the integer value of the key from its 8th character on
// (leading digits; 0 when there are none). Example: viewNumberFromKey(u"WebPage12") == 12.
int viewNumberFromKey(QStringView key);

// True for texts that name a link: they begin with "http", "file" or "ftp" (case counts).
bool isLinkText(QStringView text);

// Lets an action through at most once per interval; a refused attempt does not renew it.
class Throttle {
public:
    explicit Throttle(double interval) : m_interval(interval) {}
    bool pass(double now);

private:
    double m_interval;
    double m_last = 0;
    bool m_used = false;
};

// The guards that keep a page from opening the same tab again and again: the repeat guard
// refuses the address of the last new tab, the throttle a new tab less than 0.7 s after the last.
class NewWindowState {
public:
    // Decides one request for a tab at `address` at `now`: false to refuse it (the address of
    // the last new tab, or less than 0.7 s after the last new tab unless `skipThrottle`). A
    // request past the repeat guard is the last new tab from then on, even when throttled.
    // Example: allowNewTab("a", 1) is true, then allowNewTab("a", 9) is false.
    bool allowNewTab(const QString &address, double now, bool skipThrottle = false);

    // Lets the next request past the repeat guard whatever its address: after a tab is closed,
    // or when a command opens many tabs in a row.
    void forgetLastNewWindow() { lastNewWindowUrl.reset(); }
    // The address of the last new tab; none at first and after the guard is reset.
    const std::optional<QString> &lastNewWindow() const { return lastNewWindowUrl; }

private:
    std::optional<QString> lastNewWindowUrl;
    Throttle m_throttle{0.7};
};

// Where a navigation goes: on in its own view, or into a new tab instead.
enum class NavigationAction { Proceed, OpenInNewTab };

// The before-navigation rules: with the "new" toggle on, a followed link (the status bar shows
// a link address) opens in a new tab; a link followed on the favourites page always does (at
// most one redirect per 0.7 s). The program's own navigations are never redirected. No
// redirect from the favourites page happens before the first navigation after start-up.
class NavigationPolicy {
public:
    struct Context {
        QString statusText; // what the status panel shows now
        bool isMainFrame = true;
        bool ownNavigation = false;
        bool newToggleOn = false;
        bool currentIsFavourites = false; // the current tab shows the favourites page
    };

    NavigationAction decide(const Context &context, double now);
    bool startupGuard() const { return m_startupGuard; }
    void setStartupGuard(bool on) { m_startupGuard = on; }

private:
    bool m_startupGuard = false;
    Throttle m_favouritesThrottle{0.7};
};

// Mouse presses on the tab strip: the button of the last press gates tab switching, and two
// left presses on the same tab within 0.5 s close it.
class TabClickGate {
public:
    enum class Button { Left, Right };

    // Records a press; true when it completes a double press on `tabKey`.
    bool press(Button button, const QString &tabKey, double now);
    // Tab switching does its work only after a left press (and before any press at all).
    bool switchingAllowed() const { return m_lastButton == Button::Left; }

private:
    Button m_lastButton = Button::Left;
    QString m_lastKey;
    double m_lastTime = 0;
    bool m_pressed = false;
};

} // namespace browser
