#pragma once

#include <QElapsedTimer>
#include <QHash>
#include <QObject>
#include <QString>
#include <QUrl>

#include <memory>

namespace browser {
class Download;
}

namespace commands {
struct CommandContext;
class OverwriteChoice;
} // namespace commands

namespace shell {

class DownloadList;

// Files the engine downloads go into the desktop's download folder (~/Downloads). A download
// the page started on its own waits for the user's Yes (its name, size and folder are shown);
// the user is asked, with the file's name, before one replaces a file of the same name (全部覆盖
// and 全部跳过 answer for the downloads that follow while one runs or within kInARowMs of the
// last); the progress shows in the status bar, and a download that fails is reported. One
// whose connection drops is 失败（原因） in the list, where 继续 takes it up again; when the
// engine asks for the same address again, that is the same download, in the same row and file.
class Downloads : public QObject {
    Q_OBJECT
public:
    // Every download accepted goes into `list` (the downloads window's) as it runs.
    Downloads(commands::CommandContext &context, DownloadList &list, QObject *parent);
    ~Downloads() override;
    static constexpr int kInARowMs = 10000;
    void handle(browser::Download *download);
    // Where downloads go; the desktop's download folder unless set.
    void setFolder(const QString &folder) { m_folder = folder; }
    QString folder() const;
    // The setting "每次下载前询问保存位置", kept in the ini file at `path` ([downloads]
    // askWhereToSave): on, each download asks for its file first (cancelled: not downloaded).
    void keepSettingsIn(const QString &path);
    bool asksWhereToSave() const { return m_askWhere; }
    void setAsksWhereToSave(bool ask);

signals:
    // A file's download is over: done, failed or refused by the user.
    void ended(const QUrl &url);

private:
    bool pageDownloadAllowed(const QString &name, qint64 bytes);
    // Where the file `name` goes: asked for, or in the download folder after the overwrite
    // question; empty when it is not downloaded, with the s2 words for that in `refusal`.
    QString pathFor(const QString &name, QString *refusal);
    // Follows a download in the list: in a new row, or in row `id` when it takes up one that
    // was interrupted.
    void report(browser::Download *download, int id = -1);

    // The overwrite answers of downloads in a row.
    commands::OverwriteChoice &overwriteChoice();

    commands::CommandContext &m_context;
    DownloadList &m_list;
    std::unique_ptr<commands::OverwriteChoice> m_overwrite;
    int m_running = 0;
    QElapsedTimer m_lastEnded;
    QString m_folder;
    QString m_settingsPath;
    bool m_askWhere = false;
    QHash<QUrl, int> m_interrupted; // address → list id, of this run's interrupted downloads
};

} // namespace shell
