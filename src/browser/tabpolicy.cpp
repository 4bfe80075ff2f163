#include "tabpolicy.h"

#include <cmath>

namespace browser {

QString tabKey(int viewNumber) {
    return QStringLiteral("WebPage") + QString::number(viewNumber);
}

int viewNumberFromKey(QStringView key) {
    int value = 0;
    for (qsizetype i = 7; i < key.size() && key[i].isDigit() && value < 100000000; ++i)
        value = value * 10 + key[i].digitValue();
    return value;
}

bool isLinkText(QStringView text) {
    return text.startsWith(u"http") || text.startsWith(u"file") || text.startsWith(u"ftp");
}

bool Throttle::pass(double now) {
    if (m_used && std::fabs(now - m_last) < m_interval)
        return false;
    m_used = true;
    m_last = now;
    return true;
}

bool NewWindowState::allowNewTab(const QString &address, double now, bool skipThrottle) {
    if (lastNewWindowUrl == address)
        return false;
    lastNewWindowUrl = address;
    if (skipThrottle) {
        m_throttle = Throttle(0.7);
        m_throttle.pass(now);
        return true;
    }
    return m_throttle.pass(now);
}

NavigationAction NavigationPolicy::decide(const Context &context, double now) {
    if (isLinkText(context.statusText)) {
        return (context.isMainFrame && !context.ownNavigation && context.newToggleOn)
                   ? NavigationAction::OpenInNewTab
                   : NavigationAction::Proceed;
    }
    NavigationAction action = NavigationAction::Proceed;
    if (context.currentIsFavourites && !context.ownNavigation && !m_startupGuard) {
        if (!m_favouritesThrottle.pass(now))
            return NavigationAction::Proceed;
        action = NavigationAction::OpenInNewTab;
    }
    m_startupGuard = false;
    return action;
}

bool TabClickGate::press(Button button, const QString &tabKey, double now) {
    m_lastButton = button;
    if (button == Button::Right)
        return false;
    const bool doublePress = m_pressed && std::fabs(now - m_lastTime) < 0.5 && tabKey == m_lastKey;
    m_pressed = true;
    m_lastKey = tabKey;
    m_lastTime = now;
    return doublePress;
}

} // namespace browser
