#include "downloads.h"

#include "downloadlist.h"

#include "browser/browserview.h"
#include "commands/commandcontext.h"
#include "commands/dialogs.h"
#include "commands/overwritechoice.h"
#include "saving/filenaming.h"
#include "saving/overwritecheck.h"

#include <QDir>
#include <QFileInfo>

namespace shell {

using commands::CommandContext;
using commands::Dialogs;
using commands::kNoticeCaption;

namespace {

constexpr commands::Panel kMessage = commands::Panel::Message;

} // namespace

Downloads::Downloads(CommandContext &context, DownloadList &list, QObject *parent)
    : QObject(parent), m_context(context), m_list(list) {}

QString Downloads::sizeText(qint64 bytes) {
    if (bytes < 0)
        return QStringLiteral("大小不明");
    if (bytes < 1024)
        return QStringLiteral("%1 字节").arg(bytes);
    if (bytes < 1024 * 1024)
        return QStringLiteral("%1 KB").arg(double(bytes) / 1024.0, 0, 'f', 1);
    return QStringLiteral("%1 MB").arg(double(bytes) / (1024.0 * 1024.0), 0, 'f', 1);
}

bool Downloads::pageDownloadAllowed(const QString &name, qint64 bytes) {
    const QString question =
        QStringLiteral("网页要下载一个文件，这不是您点击要求的：\n文件名：%1\n大小：%2\n"
                       "保存到：%3\n\n要下载吗？")
            .arg(name, sizeText(bytes), QDir::toNativeSeparators(m_context.savePath()));
    return m_context.dialogs.message(kNoticeCaption, question, Dialogs::Buttons::YesNo) ==
           Dialogs::Answer::Yes;
}

void Downloads::handle(browser::Download *download) {
    if (!download->isPageSave()) {
        QString name = QFileInfo(download->suggestedFileName()).fileName();
        if (name.isEmpty())
            name = QStringLiteral("download");
        if (!download->isUserRequested() && !pageDownloadAllowed(name, download->totalBytes())) {
            download->cancel();
            m_context.panels.setPanelText(kMessage, QStringLiteral("已取消下载：") + name);
            return;
        }
        const QString suffix = QFileInfo(name).suffix();
        const QString extension = suffix.isEmpty() ? QString() : u'.' + suffix;
        const QString chosen =
            overwriteChoice().fileNameFor(name.chopped(extension.size()), extension);
        if (chosen.isEmpty()) {
            download->cancel();
            m_context.panels.setPanelText(kMessage,
                                          QStringLiteral("已跳过下载（同名文件已存在）：") + name);
            m_lastEnded.start();
            emit ended(download->url());
            return;
        }
        name = chosen;
        download->accept(saving::makeSavePath(m_context.savePath(), name, QString()));
    }
    report(download);
}

Downloads::~Downloads() = default;

commands::OverwriteChoice &Downloads::overwriteChoice() {
    const bool inARow =
        m_running > 0 || (m_lastEnded.isValid() && m_lastEnded.elapsed() < kInARowMs);
    if (!m_overwrite || !inARow)
        m_overwrite =
            std::make_unique<commands::OverwriteChoice>(m_context.dialogs, m_context.savePath());
    return *m_overwrite;
}

void Downloads::report(browser::Download *download) {
    ++m_running;
    const QString path = download->path();
    const QString name = QFileInfo(path).fileName();
    const int id = m_list.add(download->url(), path, download->totalBytes());
    connect(download, &browser::Download::progress, this,
            [this, name, id](qint64 received, qint64 total) {
                m_list.setReceived(id, total > 0 ? total : received);
                const QString amount = total > 0 ? QStringLiteral("%1%").arg(received * 100 / total)
                                                 : QStringLiteral("%1 KB").arg(received / 1024);
                m_context.panels.setPanelText(kMessage,
                                              QStringLiteral("正在下载 %1：%2").arg(name, amount));
            });
    connect(download, &browser::Download::finished, this,
            [this, path, id, url = download->url()](bool ok, const QString &error) {
                --m_running;
                m_list.finish(id, ok, error);
                m_lastEnded.start();
                emit ended(url);
                if (ok) {
                    m_context.panels.setPanelText(kMessage, QStringLiteral("下载完成：") + path);
                    return;
                }
                m_context.panels.setPanelText(kMessage, QStringLiteral("下载失败：") + path);
                m_context.dialogs.message(kNoticeCaption,
                                          QStringLiteral("下载失败：%1\n%2").arg(path, error),
                                          Dialogs::Buttons::Ok);
            });
}

} // namespace shell
