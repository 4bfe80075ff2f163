#include "pagesaver.h"

#include "browser/browserview.h"
#include "commands/batchreport.h"
#include "commands/batchrun.h"
#include "commands/overwritechoice.h"
#include "common/textsearch.h"
#include "saving/charsetdeclaration.h"
#include "saving/filenaming.h"
#include "saving/linkrewriter.h"
#include "saving/normalisedtags.h"

#include <QScopeGuard>

namespace commands {

QString PageSaver::pageContent(const QString &innerHtml) {
    return saving::declareCharset(QStringLiteral("<HTML>") + innerHtml + QStringLiteral("</HTML>"),
                                  QStringLiteral("gb18030"));
}

common::Task<> PageSaver::onlySave(bool absoluteLinks) {
    CommandContext &context = m_steps.context();
    QPointer<browser::BrowserView> view = context.tabs.currentView();
    if (!view)
        co_return;
    m_steps.warnIfBusy(view);
    const saving::NameSources sources = m_steps.nameSources(view, saving::SaveKind::Page);
    const QString name = saving::saveName(sources);
    if (saving::correctName(sources.selection).isEmpty()) {
        const auto answer = context.dialogs.message(
            kNoticeCaption,
            QStringLiteral(
                "您没有在网页中选中一段文字作为文件名，如果以网页标题为文件名，请按【确定】，"
                "否则请在网页中选择一段文字，再重新保存!"),
            Dialogs::Buttons::OkCancel);
        if (answer != Dialogs::Answer::Ok || !view)
            co_return;
    }
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
        context.panels.setPanelText(QStringLiteral("s2"),
                                    QStringLiteral("该网页已经保存到") + m_steps.pathOf(fileName));
        if (context.noteSaved)
            context.noteSaved(url, fileName);
    }
}

common::Task<> PageSaver::saveAllW(bool absoluteLinks) {
    CommandContext &context = m_steps.context();
    context.clipboard.clear();
    OverwriteChoice overwrite(context.dialogs, context.savePath());
    saving::BatchOutcome outcome;
    const QList<BatchTab> batch = SaveSteps::batchTabs(context.tabs, 2);
    BatchRun run(context, int(batch.size()));
    for (const BatchTab &tab : batch) {
        const std::optional<browser::PageRead> page =
            co_await m_steps.readForBatch(tab, run, outcome);
        if (!page)
            continue;
        browser::BrowserView *view = tab.view; // still there: checked by readForBatch
        const auto step = qScopeGuard([&] { run.pageDone(outcome.done); });
        const QUrl url = view->url();
        const QString content = pageContent(page->html);
        QString name;
        if (m_rule.enabled) {
            // Markers typed from a page's source meet the engine's markup, whose tags are
            // written its own way: both are compared in one form.
            const std::optional<QString> extracted = saving::extractFileName(
                saving::normaliseTags(content), saving::normaliseTags(m_rule.before),
                saving::normaliseTags(m_rule.after));
            if (!extracted || extracted->isEmpty()) {
                outcome.noName.append(url.toString());
                continue;
            }
            name = *extracted;
        } else {
            saving::NameSources sources = m_steps.nameSources(view, saving::SaveKind::PageInBatch);
            sources.viewNumber = tab.viewNumber;
            name = saving::saveName(sources);
        }
        const QString fileName = overwrite.fileNameFor(name, QStringLiteral(".htm"));
        if (fileName.isEmpty())
            outcome.skipped.append(saving::fitFileName(name, QStringLiteral(".htm")) + ".htm");
        else if (m_steps.writeOneOfMany(
                     fileName,
                     absoluteLinks ? saving::rewriteLinks(content, url.toString(QUrl::FullyEncoded),
                                                          page->charset)
                                   : content,
                     outcome.failed)) {
            ++outcome.done;
            if (context.noteSaved)
                context.noteSaved(url, fileName);
        }
    }
    reportBatchSave(context, outcome);
}

} // namespace commands
