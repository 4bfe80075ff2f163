#include "batchprogressbar.h"

#include "downloadqueue.h"
#include "loadqueue.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>

namespace shell {

using commands::Panel;

BatchProgressBar::BatchProgressBar(QWidget *window,
                                   std::function<void(commands::Panel, const QString &)> setPanel)
    : QWidget(window), m_bar(new QProgressBar(this)), m_line(new QLabel(this)),
      m_stopButton(new QPushButton(QStringLiteral("停止"), this)),
      m_escape(new QShortcut(QKeySequence(Qt::Key_Escape), window)),
      m_setPanel(std::move(setPanel)) {
    setObjectName(QStringLiteral("batchProgress"));
    m_stopButton->setObjectName(QStringLiteral("batchStop"));
    m_bar->setFixedWidth(160);
    m_bar->setTextVisible(false);
    // One width and one place, shown or not: the buttons beside it never move under the mouse
    // when a batch ends (a late click on 停止 must not land on another button).
    m_line->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    const QString widest = QStringLiteral("已打开 10000/10000，正在载入 10，等待 10000");
    setFixedWidth(m_bar->width() + m_line->fontMetrics().horizontalAdvance(widest) +
                  m_stopButton->sizeHint().width() + 24);
    QSizePolicy policy = sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    setSizePolicy(policy);
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_bar);
    layout->addWidget(m_line, 1);
    m_stopButton->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    layout->addWidget(m_stopButton);
    m_escape->setEnabled(false);
    connect(m_stopButton, &QPushButton::clicked, this, &BatchProgressBar::stop);
    connect(m_escape, &QShortcut::activated, this, &BatchProgressBar::stop);
    hide();
}

void BatchProgressBar::begin(int total) {
    m_saving = true;
    m_stopRequested = false;
    m_bar->setRange(0, qMax(total, 1));
    m_bar->setValue(0);
    m_line->setText(QStringLiteral("已保存 0/%1").arg(total));
    m_escape->setEnabled(true);
    show();
}

void BatchProgressBar::advance(int done, const QString &line) {
    m_bar->setValue(done);
    m_line->setText(line);
}

bool BatchProgressBar::stopRequested() {
    return m_stopRequested;
}

void BatchProgressBar::end() {
    m_saving = false;
    m_escape->setEnabled(false);
    if (queuesIdle())
        hide();
}

bool BatchProgressBar::queuesIdle() const {
    return (!m_queue || (m_queue->loading() == 0 && m_queue->waiting() == 0)) &&
           (!m_downloads || (m_downloads->running() == 0 && m_downloads->waiting() == 0));
}

void BatchProgressBar::follow(LoadQueue &queue) {
    m_queue = &queue;
    connect(&queue, &LoadQueue::progressChanged, this, &BatchProgressBar::showLoading);
}

void BatchProgressBar::followDownloads(DownloadQueue &queue) {
    m_downloads = &queue;
    connect(&queue, &DownloadQueue::progressChanged, this, &BatchProgressBar::showDownloading);
}

void BatchProgressBar::stop() {
    if (m_saving) {
        m_stopRequested = true;
        emit saveStopAsked();
        return;
    }
    if (m_queue) {
        for (const LoadQueue::Pending &pending : m_queue->stopWaiting())
            m_notOpened.append(pending.url.toString());
    }
    if (m_downloads) {
        for (const QUrl &url : m_downloads->stopWaiting())
            m_notDownloaded.append(url.toString());
    }
}

void BatchProgressBar::showLoading(int finished, int asked, int loading, int waiting) {
    const int failed = m_queue ? m_queue->failed() : 0;
    const QString failures =
        failed > 0 ? QStringLiteral("（其中 %1 个打开失败）").arg(failed) : QString();
    showQueue(finished, asked, loading, waiting,
              {QStringLiteral("已打开 %1/%2，正在载入 %3，等待 %4"),
               QStringLiteral("已打开 %1 个网页") + failures,
               QStringLiteral("已停止：已打开 %1 个网页，%2 个没有打开：%3")},
              m_notOpened);
}

void BatchProgressBar::showDownloading(int finished, int asked, int running, int waiting) {
    showQueue(finished, asked, running, waiting,
              {QStringLiteral("已下载 %1/%2，正在下载 %3，等待 %4"),
               QStringLiteral("已下载 %1 个文件"),
               QStringLiteral("已停止：已下载 %1 个文件，%2 个没有下载：%3")},
              m_notDownloaded);
}

void BatchProgressBar::showQueue(int finished, int asked, int busy, int waiting,
                                 const QueueLines &lines, QStringList &notDone) {
    if (busy == 0 && waiting == 0) {
        QString line = lines.done.arg(finished);
        if (!notDone.isEmpty())
            line = lines.stopped.arg(finished)
                       .arg(notDone.size())
                       .arg(notDone.join(QStringLiteral(" ")));
        notDone.clear();
        const bool idle = queuesIdle();
        m_escape->setEnabled(m_saving || !idle);
        if (!m_saving && idle)
            hide();
        m_setPanel(commands::Panel::Message, line);
        return;
    }
    m_bar->setRange(0, qMax(asked, 1));
    m_bar->setValue(finished);
    m_line->setText(lines.progress.arg(finished).arg(asked).arg(busy).arg(waiting));
    m_escape->setEnabled(true);
    show();
}

} // namespace shell
