#include "sessionkeeper.h"

#include "tabmanager.h"

#include "browser/localpages.h"
#include "browser/tabsession.h"
#include "commands/dialogs.h"
#include "commands/statuspanels.h"
#include "common/fileerror.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace shell {

using commands::Panel;

using commands::Dialogs;
using commands::kNoticeCaption;

SessionKeeper::SessionKeeper(TabManager &tabs, commands::StatusPanels &panels, const QString &path,
                             QObject *parent)
    : QObject(parent), m_tabs(tabs), m_panels(panels), m_path(path) {
    m_timer.setSingleShot(true);
    m_timer.setInterval(1000);
    connect(&m_timer, &QTimer::timeout, this, [this] {
        QString error;
        if (write(false, &error) || m_failureShown)
            return;
        m_failureShown = true; // once per run: the next change tries again silently
        m_panels.setPanelText(Panel::Message, error);
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
        // The damaged file is kept beside the next one for whoever wants to look at it.
        const QString kept = m_path + QStringLiteral(".damaged");
        QFile::remove(kept);
        const bool keptAside = file.exists() && QFile::rename(m_path, kept);
        m_report =
            QStringLiteral("会话文件 %1 %2，上次打开的网页没有恢复").arg(name, error) +
            (keptAside ? QStringLiteral("（原文件已改名为 %1）").arg(QFileInfo(kept).fileName())
                       : QString());
        m_panels.showNotice(m_report);
        return 0;
    }
    QStringList refused;
    QList<browser::TabRecord> records;
    for (const browser::TabRecord &record : std::as_const(session->tabs)) {
        if (browser::isOpenableAddress(record.url))
            records.append(record);
        else
            refused.append(record.url.toString().left(200));
    }
    session->tabs = records;
    const QString refusedNote =
        refused.isEmpty() ? QString() : browser::refusedAddressesText(refused);
    if (session->cleanQuit) {
        m_tabs.closedTabs().push(session->tabs);
        if (!refusedNote.isEmpty())
            m_panels.showNotice(refusedNote);
        return 0;
    }
    const int opened = m_tabs.openRecords(session->tabs);
    QStringList notes;
    if (opened > 0)
        notes.append(
            QStringLiteral("上次程序没有正常退出，已重新打开当时的 %1 个网页").arg(opened));
    if (!refusedNote.isEmpty())
        notes.append(refusedNote);
    m_report = notes.join(QStringLiteral("；"));
    if (!m_report.isEmpty())
        m_panels.showNotice(m_report);
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

bool SessionKeeper::writeAtQuit(Dialogs &dialogs) {
    QString error;
    while (!write(true, &error)) {
        const Dialogs::Answer answer = dialogs.message(
            kNoticeCaption,
            QStringLiteral("%1，打开的网页列表没有保存。\n"
                           "腾出磁盘空间后点“重试”；点“不保存，退出”，下次启动时不会打开这些网页。")
                .arg(error),
            Dialogs::Buttons::RetryQuit);
        if (answer == Dialogs::Answer::Retry)
            continue;
        if (answer != Dialogs::Answer::Quit)
            return false;
        // The file on disk holds an older list: it must not come back as the last one.
        const QString old = m_path + QStringLiteral(".old");
        QFile::remove(old);
        if (QFile::exists(m_path) && !QFile::rename(m_path, old))
            QFile::remove(m_path);
        return true;
    }
    return true;
}

} // namespace shell
