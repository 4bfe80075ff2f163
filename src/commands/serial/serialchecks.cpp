// 检查新章节: each finished series' last chapter is loaded again to see whether a next link has
// appeared since.
#include "serialchain.h"

#include "browser/browserview.h"
#include "common/ansifile.h"
#include "serial/chapterfiles.h"
#include "serial/nextlink.h"

#include <QDir>

namespace commands {

void SerialChain::updateSeries(const QString &name) {
    if (isRunning())
        return status(QStringLiteral("连续保存正在进行，没有检查新章节"));
    checkSeries(name);
}

void SerialChain::checkSeries(const QString &only) {
    if (refuseWhileRunning())
        return;
    m_toCheck.clear();
    const QDir saveDir(m_context.savePath());
    const QString onlyFolder = only.isEmpty() ? QString() : serial::seriesFolderName(only);
    for (const QString &name : saveDir.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
        if (!onlyFolder.isEmpty() && name != onlyFolder)
            continue;
        const std::optional<serial::ChainState> state =
            serial::readChainState(saveDir.filePath(name));
        if (state && state->finished && state->count > 0)
            m_toCheck.append(saveDir.filePath(name));
    }
    if (!onlyFolder.isEmpty() && m_toCheck.isEmpty())
        return status(QStringLiteral("默认保存路径里没有保存完的系列“%1”").arg(onlyFolder));
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

SerialChain::Step SerialChain::goOnIfNewChapter(const QString &html, const QUrl &url) {
    const serial::NextLink next = nextChapterLink(html, url);
    if (next.outcome != serial::NextLinkOutcome::Found)
        return finish(QStringLiteral("《%1》没有新章节").arg(m_state.title));
    m_state.next = next.url;
    QString error;
    if (!serial::writeChainState(m_folder, m_state, &error))
        return finish(QStringLiteral("无法写入连续保存的状态：") + error, true);
    status(QStringLiteral("《%1》有新章节，接着保存").arg(m_state.title));
    return Step::Next;
}

} // namespace commands
