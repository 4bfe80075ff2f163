#pragma once

#include <QDialog>

#include <functional>

class QTreeWidget;
class QTreeWidgetItem;
class QPushButton;

namespace shell {

class DownloadList;

// "下载列表" (Ctrl+J): the downloads of this run and earlier ones, newest first, with their
// name, size, state and time; open the file, open its folder, take up an interrupted one where
// it stopped (继续), download a failed one again, or take any one off the list (the file stays;
// a running one is cancelled). A window of its own beside the browser's: nothing
// waits for it.
class DownloadsWindow : public QDialog {
    Q_OBJECT
public:
    struct Actions {
        std::function<void(const QString &path)> openFile;
        std::function<void(const QString &folder)> openFolder;
        std::function<void(const QUrl &url)> retry;
    };
    DownloadsWindow(DownloadList &list, Actions actions, QWidget *parent = nullptr);

    QTreeWidget *tree() const { return m_tree; }
    // The list's row shown selected; -1 for none.
    int selectedRow() const;
    void openSelectedFile();
    void openSelectedFolder();
    void retrySelected();
    void resumeSelected();
    void removeSelected();

private:
    QTreeWidgetItem *itemOfRow(int row) const;
    void fill(QTreeWidgetItem *item, int row) const;
    void updateButtons();

    DownloadList &m_list;
    Actions m_actions;
    QTreeWidget *m_tree = nullptr;
    QPushButton *m_open = nullptr;
    QPushButton *m_folder = nullptr;
    QPushButton *m_resume = nullptr;
    QPushButton *m_retry = nullptr;
    QPushButton *m_remove = nullptr;
};

} // namespace shell
