#include "downloadswindow.h"

#include "downloadlist.h"
#include "saving/transferrate.h"

#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace shell {

using saving::DownloadRecord;

DownloadsWindow::DownloadsWindow(DownloadList &list, Actions actions, QWidget *parent)
    : QDialog(parent), m_list(list), m_actions(std::move(actions)) {
    setObjectName(QStringLiteral("downloads"));
    setWindowTitle(QStringLiteral("下载列表"));
    resize(760, 420);
    m_tree = new QTreeWidget(this);
    m_tree->setRootIsDecorated(false);
    m_tree->setUniformRowHeights(true); // thousands of rows lay out at once
    m_tree->setHeaderLabels({QStringLiteral("文件名"), QStringLiteral("大小"),
                             QStringLiteral("状态"), QStringLiteral("时间")});
    m_tree->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    m_tree->header()->setStretchLastSection(false);
    // Widths from the widest texts, not from the rows: thousands of rows cost nothing here.
    const QFontMetrics metrics = m_tree->fontMetrics();
    m_tree->setColumnWidth(1, metrics.horizontalAdvance(QStringLiteral("1023.9 MB")) + 24);
    m_tree->setColumnWidth(
        2, metrics.horizontalAdvance(QStringLiteral("100%，1023.9 KB/秒，还剩 59 分 59 秒")) + 24);
    m_tree->setColumnWidth(3, metrics.horizontalAdvance(QStringLiteral("2026-12-08 00:00")) + 24);
    QList<QTreeWidgetItem *> items;
    for (int row = int(list.records().size()) - 1; row >= 0; --row) {
        auto *item = new QTreeWidgetItem;
        fill(item, row);
        items.append(item);
    }
    m_tree->addTopLevelItems(items);

    m_open = new QPushButton(QStringLiteral("打开文件"), this);
    m_folder = new QPushButton(QStringLiteral("打开所在文件夹"), this);
    m_pause = new QPushButton(QStringLiteral("暂停"), this);
    m_resume = new QPushButton(QStringLiteral("继续"), this);
    m_cancel = new QPushButton(QStringLiteral("取消"), this);
    m_retry = new QPushButton(QStringLiteral("重新下载"), this);
    m_remove = new QPushButton(QStringLiteral("从列表中删除"), this);
    m_clear = new QPushButton(QStringLiteral("清除已完成"), this);
    auto *buttons = new QHBoxLayout;
    for (QPushButton *button :
         {m_open, m_folder, m_pause, m_resume, m_cancel, m_retry, m_remove, m_clear})
        buttons->addWidget(button);
    buttons->addStretch();
    m_askWhere = new QCheckBox(QStringLiteral("每次下载前询问保存位置"), this);
    if (m_actions.asksWhereToSave)
        m_askWhere->setChecked(m_actions.asksWhereToSave());
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_tree);
    layout->addLayout(buttons);
    layout->addWidget(m_askWhere);

    connect(m_open, &QPushButton::clicked, this, &DownloadsWindow::openSelectedFile);
    connect(m_folder, &QPushButton::clicked, this, &DownloadsWindow::openSelectedFolder);
    connect(m_pause, &QPushButton::clicked, this, &DownloadsWindow::pauseSelected);
    connect(m_resume, &QPushButton::clicked, this, &DownloadsWindow::resumeSelected);
    connect(m_cancel, &QPushButton::clicked, this, &DownloadsWindow::cancelSelected);
    connect(m_clear, &QPushButton::clicked, this, &DownloadsWindow::clearFinished);
    connect(m_askWhere, &QCheckBox::toggled, this, [this](bool on) {
        if (m_actions.setAsksWhereToSave)
            m_actions.setAsksWhereToSave(on);
    });
    connect(m_retry, &QPushButton::clicked, this, &DownloadsWindow::retrySelected);
    connect(m_remove, &QPushButton::clicked, this, &DownloadsWindow::removeSelected);
    connect(m_tree, &QTreeWidget::itemDoubleClicked, this, &DownloadsWindow::openSelectedFile);
    connect(m_tree, &QTreeWidget::itemSelectionChanged, this, &DownloadsWindow::updateButtons);
    // Newest first: the list's row r is the tree's row (count - 1 - r).
    connect(&list, &DownloadList::added, this, [this](int row) {
        auto *item = new QTreeWidgetItem;
        fill(item, row);
        m_tree->insertTopLevelItem(0, item);
    });
    connect(&list, &DownloadList::changed, this, [this](int row) {
        if (QTreeWidgetItem *item = itemOfRow(row))
            fill(item, row);
        updateButtons();
    });
    connect(&list, &DownloadList::removed, this, [this](int row) {
        delete m_tree->takeTopLevelItem(m_tree->topLevelItemCount() - 1 - row);
    });
    updateButtons();
}

QTreeWidgetItem *DownloadsWindow::itemOfRow(int row) const {
    return m_tree->topLevelItem(m_tree->topLevelItemCount() - 1 - row);
}

void DownloadsWindow::fill(QTreeWidgetItem *item, int row) const {
    const DownloadRecord &record = m_list.records().at(row);
    item->setText(0, QFileInfo(record.path).fileName());
    item->setToolTip(0, QDir::toNativeSeparators(record.path) + u'\n' + record.url.toString());
    item->setText(1, saving::sizeText(record.bytes));
    QString state = m_list.progressText(row);
    if (state.isEmpty())
        state = saving::downloadStateText(record.state);
    if (record.state == DownloadRecord::State::Failed && !record.error.isEmpty())
        state += QStringLiteral("（%1）").arg(record.error);
    item->setText(2, state);
    item->setText(3, record.time.toString(QStringLiteral("yyyy-MM-dd HH:mm")));
}

int DownloadsWindow::selectedRow() const {
    QTreeWidgetItem *item = m_tree->currentItem();
    if (!item || !item->isSelected())
        return -1;
    return m_tree->topLevelItemCount() - 1 - m_tree->indexOfTopLevelItem(item);
}

void DownloadsWindow::updateButtons() {
    const int row = selectedRow();
    const bool any = row >= 0;
    const auto state = any ? m_list.records().at(row).state : DownloadRecord::State::Running;
    m_open->setEnabled(any && state == DownloadRecord::State::Done);
    m_folder->setEnabled(any);
    m_pause->setEnabled(m_list.isLive(row) && !m_list.isPaused(row));
    m_resume->setEnabled(m_list.canResume(row));
    m_cancel->setEnabled(m_list.isLive(row) || m_list.canResume(row));
    m_clear->setEnabled(std::any_of(
        m_list.records().cbegin(), m_list.records().cend(),
        [](const DownloadRecord &r) { return r.state == DownloadRecord::State::Done; }));
    m_retry->setEnabled(any && state == DownloadRecord::State::Failed);
    m_remove->setEnabled(any);
}

void DownloadsWindow::openSelectedFile() {
    const int row = selectedRow();
    if (row >= 0 && m_list.records().at(row).state == DownloadRecord::State::Done)
        m_actions.openFile(m_list.records().at(row).path);
}

void DownloadsWindow::openSelectedFolder() {
    const int row = selectedRow();
    if (row >= 0)
        m_actions.openFolder(QFileInfo(m_list.records().at(row).path).absolutePath());
}

void DownloadsWindow::retrySelected() {
    const int row = selectedRow();
    if (row >= 0 && m_list.records().at(row).state == DownloadRecord::State::Failed)
        m_actions.retry(m_list.records().at(row).url);
}

void DownloadsWindow::resumeSelected() {
    m_list.resume(selectedRow());
}

void DownloadsWindow::pauseSelected() {
    m_list.pause(selectedRow());
}

void DownloadsWindow::cancelSelected() {
    m_list.cancel(selectedRow());
}

void DownloadsWindow::removeSelected() {
    m_list.removeRow(selectedRow());
}

void DownloadsWindow::clearFinished() {
    m_list.clearFinished();
    updateButtons();
}

} // namespace shell
