#pragma once

#include <QObject>
#include <QString>
#include <QUrl>

namespace browser {
class Download;
}

namespace shell {

struct CommandContext;

// Files the engine downloads go into the default save folder. A download the page started
// on its own waits for the user's Yes (its name, size and folder are shown); the user is asked
// before one replaces a file of the same name; the progress shows in the status bar, and a
// download that fails is reported.
class Downloads : public QObject {
    Q_OBJECT
public:
    Downloads(CommandContext &context, QObject *parent);
    void handle(browser::Download *download);

    // "12 字节", "3.5 KB", "1.2 MB"; "大小不明" for a negative size.
    static QString sizeText(qint64 bytes);

signals:
    // A file's download is over: done, failed or refused by the user.
    void ended(const QUrl &url);

private:
    bool pageDownloadAllowed(const QString &name, qint64 bytes);
    void report(browser::Download *download);

    CommandContext &m_context;
};

} // namespace shell
