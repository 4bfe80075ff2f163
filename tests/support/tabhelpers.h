#pragma once

#include "shell/tabmanager.h"
#include "support/fakebrowserview.h"

#include <QCoreApplication>
#include <QStringList>

namespace testing_support {

// What tests of the tabs ask of them: the fake view of a tab, the tabs' keys in order, and a
// page asking for a new window on a clock of the test's own (seconds).
class TabHelpers {
protected:
    // The tabs the helpers look at, put on the test's clock.
    void useTabs(shell::TabManager &tabs) {
        m_tabs = &tabs;
        tabs.setClock([this] { return clock; });
    }

    FakeBrowserView *view(int index) {
        return static_cast<FakeBrowserView *>(m_tabs->viewAt(index));
    }
    QStringList keys() const {
        QStringList out;
        for (int p = 1; p <= m_tabs->tabCount(); ++p)
            out.append(m_tabs->tabKeyAt(p));
        return out;
    }
    // A page of view `index` asks for a new window, `later` seconds after the last request.
    void pageOpensWindow(int index, const QString &url, double later = 1.0) {
        clock += later;
        emit view(index)->newWindowRequested(QUrl(url), true);
    }
    void settle() { QCoreApplication::processEvents(); }

    double clock = 100.0;

private:
    shell::TabManager *m_tabs = nullptr;
};

} // namespace testing_support
