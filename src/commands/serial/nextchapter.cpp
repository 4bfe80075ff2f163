// How a chain finds the chapter after the one it saved: the next one of its contents list, or
// the page's next link (by the text the user pointed at, or asking among several).
#include "serialchain.h"

#include "commands/serial/sitelearning.h"
#include "serial/contentslist.h"
#include "serial/nextlink.h"
#include "serial/siterules.h"

namespace commands {

namespace {

const QString kCaption = QStringLiteral("连续保存");

} // namespace

serial::NextLink SerialChain::nextChapter(const QString &html, const QUrl &url) {
    if (!m_state.fromList)
        return nextChapterLink(html, url);
    serial::NextLink next;
    next.url = serial::nextListedChapter(m_list, QUrl(), m_store.seen());
    next.outcome =
        next.url.isEmpty() ? serial::NextLinkOutcome::None : serial::NextLinkOutcome::Found;
    return next;
}

serial::NextLink SerialChain::nextChapterLink(const QString &html, const QUrl &url) {
    serial::NextLink next = serial::findNextLink(html, url, m_store.seen());
    const QString linkText =
        !m_state.linkText.isEmpty()
            ? m_state.linkText
            : serial::readSiteRules(serial::siteRulesPath(m_context.siteRulesFolder, url))
                  .nextLinkText;
    if (!linkText.isEmpty()) {
        if (const serial::NextLink byText =
                serial::findLinkByText(html, url, linkText, m_store.seen());
            byText.outcome != serial::NextLinkOutcome::None)
            next = byText;
    }
    if (next.outcome == serial::NextLinkOutcome::Several)
        chooseAmong(next, html, url);
    return next;
}

void SerialChain::chooseAmong(serial::NextLink &next, const QString &html, const QUrl &url) {
    if (m_state.choice == 0) {
        QString prompt = QStringLiteral(
            "网页上有几个下一章链接，请输入下一章的序号（以后的章节取同一位置的链接）：\n");
        for (int i = 0; i < next.candidates.size(); ++i)
            prompt += QStringLiteral("%1. %2\n").arg(i + 1).arg(next.candidates.at(i).toString());
        const std::optional<QString> answer =
            m_context.dialogs.inputText(kCaption, prompt, QStringLiteral("1"));
        bool ok = false;
        const int chosen = answer ? answer->trimmed().toInt(&ok) : 0;
        if (!ok || chosen < 1 || chosen > next.candidates.size())
            return;
        m_state.choice = chosen;
    }
    if (m_state.choice > next.candidates.size())
        return;
    next = serial::judgeNextLink(next.candidates.at(m_state.choice - 1), html, url, m_store.seen());
}

} // namespace commands
