#include "downloads.h"

#include "commands/dialogs.h"
#include "mainwindow.h"

#include "browser/browserview.h"
#include "saving/filenaming.h"
#include "saving/overwritecheck.h"

#include <QFileInfo>

namespace shell {

Downloads::Downloads(MainWindow &window) : QObject(&window), m_window(window) {}

void Downloads::handle(browser::Download *download) {
    const QString s2 = QStringLiteral("s2");
    if (!download->isPageSave()) {
        QString name = QFileInfo(download->suggestedFileName()).fileName();
        if (name.isEmpty())
            name = QStringLiteral("download");
        const QString existing = saving::existingFileName(m_window.savePath(), name);
        if (!existing.isEmpty()) {
            if (m_window.dialogs().message(QString(),
                                           QStringLiteral("已经存在同样名字的文件，是否要覆盖？"),
                                           Dialogs::Buttons::YesNo) != Dialogs::Answer::Yes) {
                download->cancel();
                m_window.setPanelText(s2, QStringLiteral("已取消下载：") + name);
                emit ended(download->url());
                return;
            }
            name = existing;
        }
        download->accept(saving::makeSavePath(m_window.savePath(), name, QString()));
    }
    const QString path = download->path();
    const QString name = QFileInfo(path).fileName();
    connect(download, &browser::Download::progress, this,
            [this, name](qint64 received, qint64 total) {
                const QString amount = total > 0 ? QStringLiteral("%1%").arg(received * 100 / total)
                                                 : QStringLiteral("%1 KB").arg(received / 1024);
                m_window.setPanelText(QStringLiteral("s2"),
                                      QStringLiteral("正在下载 %1：%2").arg(name, amount));
            });
    connect(download, &browser::Download::finished, this,
            [this, path, url = download->url()](bool ok, const QString &error) {
                emit ended(url);
                if (ok) {
                    m_window.setPanelText(QStringLiteral("s2"),
                                          QStringLiteral("下载完成：") + path);
                    return;
                }
                m_window.setPanelText(QStringLiteral("s2"), QStringLiteral("下载失败：") + path);
                m_window.dialogs().message(shell::kNoticeCaption,
                                           QStringLiteral("下载失败：%1\n%2").arg(path, error),
                                           Dialogs::Buttons::Ok);
            });
}

} // namespace shell
