#pragma once

#include <QObject>
#include <QUrl>

namespace browser {
class Download;
}

namespace shell {

class MainWindow;

// Files the engine downloads go into the default save folder: the user is asked before one
// replaces a file of the same name, the progress shows in the status bar, and a download
// that fails is reported.
class Downloads : public QObject {
    Q_OBJECT
public:
    explicit Downloads(MainWindow &window);
    void handle(browser::Download *download);

signals:
    // A file's download is over: done, failed or refused by the user.
    void ended(const QUrl &url);

private:
    MainWindow &m_window;
};

} // namespace shell
