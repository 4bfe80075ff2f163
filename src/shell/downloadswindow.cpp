#include "downloadswindow.h"

#include "downloadlist.h"
#include "downloads.h"

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
        2, metrics.horizontalAdvance(QStringLiteral("失败（程序在下载时结束）")) + 24);
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
    m_resume = new QPushButton(QStringLiteral("继续"), this);
    m_retry = new QPushButton(QStringLiteral("重新下载"), this);
    m_remove = new QPushButton(QStringLiteral("从列表中删除"), this);
    auto *buttons = new QHBoxLayout;
    for (QPushButton *button : {m_open, m_folder, m_resume, m_retry, m_remove})
        buttons->addWidget(button);
    buttons->addStretch();
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_tree);
    layout->addLayout(buttons);

    connect(m_open, &QPushButton::clicked, this, &DownloadsWindow::openSelectedFile);
    connect(m_folder, &QPushButton::clicked, this, &DownloadsWindow::openSelectedFolder);
    connect(m_resume, &QPushButton::clicked, this, &DownloadsWindow::resumeSelected);
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
    item->setText(1, Downloads::sizeText(record.bytes));
    QString state = saving::downloadStateText(record.state);
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
    m_resume->setEnabled(m_list.canResume(row));
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

void DownloadsWindow::removeSelected() {
    m_list.removeRow(selectedRow());
}

} // namespace shell
