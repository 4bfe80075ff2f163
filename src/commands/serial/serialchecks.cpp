// 检查新章节: each finished series' last chapter is loaded again to see whether a next link has
// appeared since.
#include "serialchain.h"

#include "browser/browserview.h"
#include "common/ansifile.h"
#include "serial/chapterfiles.h"
#include "serial/nextlink.h"

#include <QDir>

namespace commands {

void SerialChain::checkForNewChapters() {
    if (refuseWhileRunning())
        return;
    m_toCheck.clear();
    const QDir saveDir(m_context.savePath());
    for (const QString &name : saveDir.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
        const std::optional<serial::ChainState> state =
            serial::readChainState(saveDir.filePath(name));
        if (state && state->finished && state->count > 0)
            m_toCheck.append(saveDir.filePath(name));
    }
    m_checking = true;
    checkNextSeries();
}

void SerialChain::checkNextSeries() {
    while (m_checking && !m_toCheck.isEmpty()) {
        const QString folder = m_toCheck.takeFirst();
        std::optional<serial::ChainState> state = serial::readChainState(folder);
        const common::TextFileContent index =
            common::readTextFile(QDir(folder).filePath(serial::kIndexFileName));
        for (const serial::IndexEntry &entry : serial::parseIndex(index.text)) {
            if (!state || entry.number != state->count || !entry.address.isValid())
                continue;
            if (!m_checkView)
                m_checkView =
                    m_context.tabs.openInNewTab(QUrl(QStringLiteral("about:blank")), true, true);
            if (!m_checkView)
                break;
            // The last chapter is loaded again only to read its next link.
            state->finished = false;
            state->next = entry.address;
            m_peeking = true;
            return run(m_checkView, folder, *state, false);
        }
    }
    if (m_checking)
        status(QStringLiteral("检查新章节完毕"));
    m_checking = false;
}

void SerialChain::goOnIfNewChapter(const QString &html, const QUrl &url) {
    const serial::NextLink next = nextChapterLink(html, url);
    if (next.outcome != serial::NextLinkOutcome::Found)
        return finish(QStringLiteral("《%1》没有新章节").arg(m_state.title));
    m_state.next = next.url;
    QString error;
    if (!serial::writeChainState(m_folder, m_state, &error))
        return finish(QStringLiteral("无法写入连续保存的状态：") + error, true);
    status(QStringLiteral("《%1》有新章节，接着保存").arg(m_state.title));
    m_delay.start(m_state.delayMs);
}

} // namespace commands
