#pragma once

#include <QObject>

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

private:
    MainWindow &m_window;
};

} // namespace shell
