#pragma once

#include "browser/tabhost.h"
#include "commands/statuspanels.h"
#include "links/seenrecord.h"

#include <QObject>
#include <QTimer>

namespace shell {

class TabManager;

// The tabs as the commands reach them, remembering what the batches open: every address whose
// page a batch opened (loaded) goes into the seen/saved record, and with "只打开新的链接" on an
// address opened or saved before is left out. A tab shown whose page was saved in the save folder
// says so in s2 ("已保存过：文件名").
class SeenLinks : public QObject, public browser::TabHost {
    Q_OBJECT
public:
    SeenLinks(TabManager &tabs, const QString &recordPath, commands::StatusPanels &panels,
              std::function<QString()> savePath);
    ~SeenLinks() override;

    links::SeenRecord &record() { return m_record; }
    bool onlyNew() const { return m_onlyNew; }
    void setOnlyNew(bool on) { m_onlyNew = on; }
    // A page was saved as `fileName` in the save folder.
    void noteSaved(const QUrl &url, const QString &fileName);

    browser::BrowserView *currentView() const override;
    int currentViewNumber() const override;
    int tabCount() const override;
    browser::BrowserView *viewAtPosition(int position) const override;
    int viewNumberAt(int position) const override;
    void selectTab(int position) override;
    browser::BrowserView *openInNewTab(const QUrl &url, bool skipThrottle = false,
                                       bool resetRepeatGuard = false) override;
    browser::BrowserView *openHarvested(const QUrl &url) override;
    void reloadView(browser::BrowserView *view) override;

private:
    void recordWhenOpened(browser::BrowserView *view, const QString &address);
    void writeOpened();
    void reportSkipped();
    void showSaved(const QString &address);

    TabManager &m_tabs;
    links::SeenRecord m_record;
    commands::StatusPanels &m_panels;
    std::function<QString()> m_savePath;
    bool m_onlyNew = false;
    QStringList m_opened; // addresses whose pages loaded, not written yet
    QTimer m_writeTimer;
    int m_skipped = 0;
};

} // namespace shell
