#include "sessionkeeper.h"

#include "tabmanager.h"

#include "browser/tabhost.h"
#include "browser/tabsession.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace shell {

SessionKeeper::SessionKeeper(TabManager &tabs, browser::StatusPanels &panels, const QString &path,
                             QObject *parent)
    : QObject(parent), m_tabs(tabs), m_panels(panels), m_path(path) {
    m_timer.setSingleShot(true);
    m_timer.setInterval(1000);
    connect(&m_timer, &QTimer::timeout, this, [this] {
        QString error;
        if (write(false, &error) || m_failureShown)
            return;
        m_failureShown = true; // once per run: the next change tries again silently
        m_panels.setPanelText(QStringLiteral("s2"), error);
    });
    connect(&tabs, &TabManager::tabsChanged, this, [this] {
        if (!m_timer.isActive())
            m_timer.start();
    });
}

int SessionKeeper::restore() {
    QFile file(m_path);
    if (!file.exists())
        return 0;
    const QString name = QFileInfo(m_path).fileName();
    QString error;
    std::optional<browser::TabSession> session;
    if (file.open(QIODevice::ReadOnly))
        session = browser::TabSession::fromJson(file.readAll(), &error);
    else
        error = QStringLiteral("无法打开");
    if (!session) {
        m_panels.setPanelText(
            QStringLiteral("s2"),
            QStringLiteral("会话文件 %1 %2，上次打开的网页没有恢复").arg(name, error));
        return 0;
    }
    if (session->cleanQuit) {
        m_tabs.closedTabs().push(session->tabs);
        return 0;
    }
    const int opened = m_tabs.openRecords(session->tabs);
    if (opened > 0) {
        m_report = QStringLiteral("上次程序没有正常退出，已重新打开当时的 %1 个网页").arg(opened);
        m_panels.setPanelText(QStringLiteral("s2"), m_report);
    }
    return opened;
}

bool SessionKeeper::write(bool cleanQuit, QString *error) {
    m_timer.stop();
    browser::TabSession session;
    session.tabs = m_tabs.records();
    session.shownPosition = m_tabs.currentPosition();
    session.cleanQuit = cleanQuit;
    const QByteArray data = session.toJson();
    QSaveFile file(m_path);
    // commit() alone can report success after a failed flush: check the flush first.
    const bool ok = file.open(QIODevice::WriteOnly) && file.write(data) == data.size() &&
                    file.flush() && file.commit();
    if (!ok && error)
        *error = QStringLiteral("无法保存会话文件 %1（磁盘已满或没有写入权限）")
                     .arg(QFileInfo(m_path).fileName());
    return ok;
}

} // namespace shell
