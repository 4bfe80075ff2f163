#include "pagesaver.h"

#include "browser/browserview.h"
#include "common/textsearch.h"
#include "saving/batchoutcome.h"
#include "saving/charsetdeclaration.h"
#include "saving/filenaming.h"
#include "saving/linkrewriter.h"
#include "saving/normalisedtags.h"

namespace commands {

QString PageSaver::pageContent(const QString &innerHtml) {
    return saving::declareCharset(QStringLiteral("<HTML>") + innerHtml + QStringLiteral("</HTML>"),
                                  QStringLiteral("gb18030"));
}

common::Task<> PageSaver::onlySave(bool absoluteLinks) {
    CommandContext &context = m_steps.context();
    QPointer<browser::BrowserView> view;
    QString name;
    if (!m_steps.nameCurrentPage(&view, &name))
        co_return;
    const std::optional<browser::PageRead> page = co_await m_steps.readPage(view, kPageNotSaved);
    if (!page)
        co_return;
    const QUrl url = view->url();
    QString content = pageContent(page->html);
    const QString fileName = m_steps.confirmOverwrite(name, QStringLiteral(".htm"));
    if (fileName.isEmpty())
        co_return;
    if (absoluteLinks)
        content = saving::rewriteLinks(content, url.toString(QUrl::FullyEncoded), page->charset);
    if (m_steps.writeSaveFile(fileName, content)) {
        context.panels.setPanelText(Panel::Message,
                                    QStringLiteral("该网页已经保存到") + m_steps.pathOf(fileName));
        if (context.noteSaved)
            context.noteSaved(url, fileName);
    }
}

common::Task<> PageSaver::saveAllW(bool absoluteLinks) {
    CommandContext &context = m_steps.context();
    context.clipboard.clear();
    const auto prepare = [this, absoluteLinks](
                             const BatchTab &tab, const browser::PageRead &page,
                             saving::BatchOutcome &outcome) -> std::optional<SaveSteps::BatchFile> {
        const QUrl url = tab.view->url(); // still there: checked by readForBatch
        const QString content = pageContent(page.html);
        QString name;
        if (m_rule.enabled) {
            // Markers typed from a page's source meet the engine's markup, whose tags are
            // written its own way: both are compared in one form.
            const std::optional<QString> extracted = saving::extractFileName(
                saving::normaliseTags(content), saving::normaliseTags(m_rule.before),
                saving::normaliseTags(m_rule.after));
            if (!extracted || extracted->isEmpty()) {
                outcome.noName.append(url.toString());
                return std::nullopt;
            }
            name = *extracted;
        } else {
            saving::NameSources sources =
                m_steps.nameSources(tab.view, saving::SaveKind::PageInBatch);
            sources.viewNumber = tab.viewNumber;
            name = saving::saveName(sources);
        }
        return SaveSteps::BatchFile{
            name, absoluteLinks ? saving::rewriteLinks(content, url.toString(QUrl::FullyEncoded),
                                                       page.charset)
                                : content};
    };
    co_await m_steps.saveAllTabs(2, QStringLiteral(".htm"), prepare,
                                 [&context](const BatchTab &tab, const QString &fileName) {
                                     if (context.noteSaved && tab.view)
                                         context.noteSaved(tab.view->url(), fileName);
                                 });
}

} // namespace commands
