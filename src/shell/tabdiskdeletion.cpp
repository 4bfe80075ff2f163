#include "tabdiskdeletion.h"

#include "tabmanager.h"

#include "commands/dialogs.h"
#include "common/fileerror.h"

#include <QFile>

namespace shell {

using commands::Dialogs;

TabDiskDeletion::TabDiskDeletion(TabManager &tabs, Dialogs &dialogs)
    : QObject(&tabs), m_tabs(tabs), m_dialogs(dialogs) {}

void TabDiskDeletion::deleteAt(int position) {
    const browser::BrowserView *view = m_tabs.viewAtPosition(position);
    if (!view)
        return;
    const QUrl address = TabManager::addressOf(view);
    const bool onDisk = address.isLocalFile();
    const QString name = onDisk ? address.toLocalFile() : address.toDisplayString();
    const QString question =
        onDisk ? QStringLiteral("将从硬盘上彻底删除这个网页，你确定吗？\n%1").arg(name)
               : QStringLiteral("这个网页不在硬盘上，没有文件可删除，只会关闭它的标签页"
                                "（按 Ctrl+Shift+T 可以重新打开）。要关闭吗？\n%1")
                     .arg(name);
    if (m_dialogs.message(commands::kNoticeCaption, question, Dialogs::Buttons::OkCancel) !=
        Dialogs::Answer::Ok)
        return;
    m_tabs.closeTab(position, onDisk ? TabManager::Reopen::Never : TabManager::Reopen::Keep);
    if (!onDisk) {
        emit reported(QStringLiteral("已关闭（不在硬盘上，没有删除文件）：%1").arg(name));
        return;
    }
    QFile file(name);
    if (!file.remove()) {
        m_dialogs.message(
            commands::kNoticeCaption,
            QStringLiteral("无法删除文件 %1：%2").arg(name, common::fileErrorReason(file, name)),
            Dialogs::Buttons::Ok);
        return;
    }
    emit reported(QStringLiteral("已从硬盘上删除 %1").arg(name));
}

} // namespace shell
