#pragma once

#include <QDialog>

#include <functional>

class QCheckBox;
class QTreeWidget;
class QTreeWidgetItem;
class QPushButton;

namespace shell {

class DownloadList;

// "下载列表" (Ctrl+J): the downloads of this run and earlier ones, newest first, with their
// name, size, state (a running one's share, speed and time left) and time; open the file, open
// its folder, pause a running one (暂停) and take it up again, or an interrupted one where it
// stopped (继续), cancel one (取消), download a failed one again, take any one off the list
// (the file stays; a running one is cancelled) or all finished ones (清除已完成); and whether
// each download asks where to go. A window of its own beside the browser's: nothing waits for it.
class DownloadsWindow : public QDialog {
    Q_OBJECT
public:
    struct Actions {
        std::function<void(const QString &path)> openFile;
        std::function<void(const QString &folder)> openFolder;
        std::function<void(const QUrl &url)> retry;
        // The setting "每次下载前询问保存位置": read, and changed by its box.
        std::function<bool()> asksWhereToSave;
        std::function<void(bool)> setAsksWhereToSave;
    };
    DownloadsWindow(DownloadList &list, Actions actions, QWidget *parent = nullptr);

    QTreeWidget *tree() const { return m_tree; }
    // The list's row shown selected; -1 for none.
    int selectedRow() const;
    void openSelectedFile();
    void openSelectedFolder();
    void retrySelected();
    void resumeSelected();
    void pauseSelected();
    void cancelSelected();
    void removeSelected();
    void clearFinished();

private:
    QTreeWidgetItem *itemOfRow(int row) const;
    void fill(QTreeWidgetItem *item, int row) const;
    void updateButtons();

    DownloadList &m_list;
    Actions m_actions;
    QTreeWidget *m_tree = nullptr;
    QPushButton *m_open = nullptr;
    QPushButton *m_folder = nullptr;
    QPushButton *m_pause = nullptr;
    QPushButton *m_resume = nullptr;
    QPushButton *m_cancel = nullptr;
    QPushButton *m_clear = nullptr;
    QCheckBox *m_askWhere = nullptr;
    QPushButton *m_retry = nullptr;
    QPushButton *m_remove = nullptr;
};

} // namespace shell
