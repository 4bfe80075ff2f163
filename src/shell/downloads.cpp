#include "downloads.h"

#include "downloadlist.h"

#include "browser/browserview.h"
#include "commands/commandcontext.h"
#include "commands/dialogs.h"
#include "commands/overwritechoice.h"
#include "saving/filenaming.h"
#include "saving/overwritecheck.h"
#include "saving/transferrate.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

#include <memory>

namespace shell {

using commands::CommandContext;
using commands::Dialogs;
using commands::kNoticeCaption;

namespace {

constexpr commands::Panel kMessage = commands::Panel::Message;
const QString kAskWhereKey = QStringLiteral("downloads/askWhereToSave");

} // namespace

Downloads::Downloads(CommandContext &context, DownloadList &list, QObject *parent)
    : QObject(parent), m_context(context), m_list(list) {}

bool Downloads::pageDownloadAllowed(const QString &name, qint64 bytes) {
    const QString question =
        QStringLiteral("网页要下载一个文件，这不是您点击要求的：\n文件名：%1\n大小：%2\n"
                       "保存到：%3\n\n要下载吗？")
            .arg(name, saving::sizeText(bytes), QDir::toNativeSeparators(folder()));
    return m_context.dialogs.message(kNoticeCaption, question, Dialogs::Buttons::YesNo) ==
           Dialogs::Answer::Yes;
}

QString Downloads::folder() const {
    QString folder = m_folder;
    if (folder.isEmpty())
        folder = QStandardPaths::writableLocation(QStandardPaths::DownloadLocation);
    if (folder.isEmpty() || !QDir().mkpath(folder))
        folder = m_context.savePath();
    return folder;
}

void Downloads::handle(browser::Download *download) {
    // The engine asks again for a download whose connection dropped: the same download.
    if (const int id = m_interrupted.value(download->url(), -1);
        !download->isPageSave() && id >= 0 && m_list.rowOf(id) >= 0) {
        m_interrupted.remove(download->url());
        download->accept(m_list.records().at(m_list.rowOf(id)).path);
        report(download, id);
        return;
    }
    if (!download->isPageSave()) {
        QString name = QFileInfo(download->suggestedFileName()).fileName();
        if (name.isEmpty())
            name = QStringLiteral("download");
        if (!download->isUserRequested() && !pageDownloadAllowed(name, download->totalBytes())) {
            download->cancel();
            m_context.panels.setPanelText(kMessage, QStringLiteral("已取消下载：") + name);
            return;
        }
        QString refusal;
        const QString path = pathFor(name, &refusal);
        if (path.isEmpty()) {
            download->cancel();
            m_context.panels.setPanelText(kMessage, refusal + name);
            m_lastEnded.start();
            emit ended(download->url());
            return;
        }
        download->accept(path);
    }
    report(download);
}

Downloads::~Downloads() = default;

QString Downloads::pathFor(const QString &name, QString *refusal) {
    if (m_askWhere) {
        *refusal = QStringLiteral("已取消下载：");
        return m_context.dialogs.chooseSaveFile(QStringLiteral("保存下载的文件"),
                                                saving::makeSavePath(folder(), name, QString()),
                                                QStringLiteral("所有文件 (*)"));
    }
    *refusal = QStringLiteral("已跳过下载（同名文件已存在）：");
    const QString suffix = QFileInfo(name).suffix();
    const QString extension = suffix.isEmpty() ? QString() : u'.' + suffix;
    const QString chosen = overwriteChoice().fileNameFor(name.chopped(extension.size()), extension);
    return chosen.isEmpty() ? QString() : saving::makeSavePath(folder(), chosen, QString());
}

void Downloads::keepSettingsIn(const QString &path) {
    m_settingsPath = path;
    m_askWhere = QSettings(path, QSettings::IniFormat).value(kAskWhereKey, false).toBool();
}

void Downloads::setAsksWhereToSave(bool ask) {
    m_askWhere = ask;
    if (m_settingsPath.isEmpty())
        return;
    QSettings settings(m_settingsPath, QSettings::IniFormat);
    settings.setValue(kAskWhereKey, ask);
    settings.sync();
    if (settings.status() != QSettings::NoError)
        m_context.panels.setPanelText(kMessage,
                                      QStringLiteral("无法保存设置：%1").arg(m_settingsPath));
}

commands::OverwriteChoice &Downloads::overwriteChoice() {
    const bool inARow =
        m_running > 0 || (m_lastEnded.isValid() && m_lastEnded.elapsed() < kInARowMs);
    if (!m_overwrite || !inARow)
        m_overwrite = std::make_unique<commands::OverwriteChoice>(m_context.dialogs, folder());
    return *m_overwrite;
}

void Downloads::report(browser::Download *download, int id) {
    ++m_running;
    const QString path = download->path();
    const QString name = QFileInfo(path).fileName();
    const QUrl url = download->url();
    if (id < 0)
        id = m_list.add(url, path, download->totalBytes(), download);
    else
        m_list.setRunning(id, download);
    // Counted as running between its start or resumption and its end or interruption.
    auto running = std::make_shared<bool>(true);
    const auto stopped = [this, running, url] {
        if (!*running)
            return;
        *running = false;
        --m_running;
        m_lastEnded.start();
        emit ended(url);
    };
    connect(download, &browser::Download::progress, this,
            [this, name, id, download, running](qint64 received, qint64 total) {
                // An interrupted download may count its bytes again: it is said once resumed.
                if (!*running || !m_list.follows(id, download))
                    return;
                m_list.setProgress(id, received, total);
                const QString amount = total > 0 ? QStringLiteral("%1%").arg(received * 100 / total)
                                                 : QStringLiteral("%1 KB").arg(received / 1024);
                m_context.panels.setPanelText(kMessage,
                                              QStringLiteral("正在下载 %1：%2").arg(name, amount));
            });
    connect(download, &browser::Download::interrupted, this,
            [this, path, id, url, stopped, download](const QString &reason) {
                stopped();
                if (!m_list.follows(id, download))
                    return;
                m_list.finish(id, false, reason);
                m_interrupted.insert(url, id);
                m_context.panels.setPanelText(
                    kMessage,
                    QStringLiteral("下载中断（%1）：%2，可在下载列表中继续").arg(reason, path));
            });
    connect(download, &browser::Download::resumed, this, [this, id, url, running] {
        if (!*running) {
            *running = true;
            ++m_running;
        }
        m_interrupted.remove(url);
        m_list.setRunning(id);
    });
    connect(download, &browser::Download::finished, this,
            [this, path, id, url, stopped, download](bool ok, const QString &error) {
                stopped();
                if (!m_list.follows(id, download))
                    return;
                const bool listed = m_list.rowOf(id) >= 0;
                m_list.finish(id, ok, error);
                if (ok) {
                    m_interrupted.remove(url);
                    m_context.panels.setPanelText(kMessage, QStringLiteral("下载完成：") + path);
                    return;
                }
                const bool cancelled = error == QStringLiteral("已取消");
                m_context.panels.setPanelText(kMessage, (cancelled ? QStringLiteral("已取消下载：")
                                                                   : QStringLiteral("下载失败：")) +
                                                            path);
                // A download the user took off the list, or cancelled, needs no report.
                if (listed && !cancelled)
                    m_context.dialogs.message(kNoticeCaption,
                                              QStringLiteral("下载失败：%1\n%2").arg(path, error),
                                              Dialogs::Buttons::Ok);
            });
}

} // namespace shell
