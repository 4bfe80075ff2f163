#include "textsaver.h"

#include "browser/browserview.h"
#include "commands/batchreport.h"
#include "commands/batchrun.h"
#include "commands/overwritechoice.h"
#include "saving/filenaming.h"
#include "text/htmltotext.h"

#include <QScopeGuard>

namespace commands {

QString TextSaver::pageText(const QString &innerHtml, bool deleteLinks) {
    return text::deleteHtmlTag(QStringLiteral("<HTML>") + innerHtml + QStringLiteral("</HTML>"),
                               deleteLinks, true);
}

common::Task<> TextSaver::onlySaveText(bool deleteLinks) {
    CommandContext &context = m_steps.context();
    QPointer<browser::BrowserView> view = context.tabs.currentView();
    if (!view)
        co_return;
    m_steps.warnIfBusy(view);
    if (!view)
        co_return;
    const saving::NameSources sources = m_steps.nameSources(view, saving::SaveKind::Text);
    const QString name = saving::saveName(sources);
    if (!sources.selectionIsText) {
        context.dialogs.message(kNoticeCaption, QStringLiteral("请在网页中选择一段文字作文件名!"),
                                Dialogs::Buttons::Ok);
        co_return;
    }
    const std::optional<browser::PageRead> page = co_await m_steps.readPage(view, kPageNotSaved);
    if (!page)
        co_return;
    const QString text = pageText(page->html, deleteLinks);
    const QString fileName = m_steps.confirmOverwrite(name, QStringLiteral(".txt"));
    if (fileName.isEmpty())
        co_return;
    if (m_steps.writeSaveFile(fileName, text))
        context.panels.setPanelText(QStringLiteral("s2"),
                                    QStringLiteral("该网页已经保存到") + m_steps.pathOf(fileName));
}

void TextSaver::saveSelectText() {
    browser::BrowserView *view = m_steps.context().tabs.currentView();
    if (!view)
        return;
    const saving::NameSources sources = m_steps.nameSources(view, saving::SaveKind::Selection);
    const QString text = sources.selection;
    if (text.isEmpty())
        return;
    const QString name = saving::saveName(sources);
    const QString fileName = m_steps.confirmOverwrite(name, QStringLiteral(".txt"));
    if (!fileName.isEmpty())
        m_steps.writeSaveFile(fileName, text);
}

common::Task<> TextSaver::saveAllWText(bool deleteLinks) {
    CommandContext &context = m_steps.context();
    browser::BrowserView *current = context.tabs.currentView();
    if (!current)
        co_return;
    const saving::NameSources first = m_steps.nameSources(current, saving::SaveKind::Text);
    if (!first.selectionIsText) {
        context.dialogs.message(kNoticeCaption,
                                QStringLiteral("请选择网页中的文字作为保存文件的名字！"),
                                Dialogs::Buttons::Ok);
        co_return;
    }
    const QString base = saving::correctName(first.selection);
    OverwriteChoice overwrite(context.dialogs, context.savePath());
    saving::BatchOutcome outcome;
    const QList<BatchTab> batch = SaveSteps::batchTabs(context.tabs, 1);
    BatchRun run(context, int(batch.size()));
    for (const BatchTab &tab : batch) {
        const std::optional<browser::PageRead> page =
            co_await m_steps.readForBatch(tab, run, outcome);
        if (!page)
            continue;
        browser::BrowserView *view = tab.view; // still there: checked by readForBatch
        const auto step = qScopeGuard([&] { run.pageDone(outcome.done); });
        const QString text = pageText(page->html, deleteLinks);
        saving::NameSources sources = m_steps.nameSources(view, saving::SaveKind::TextInBatch);
        sources.viewNumber = tab.viewNumber;
        sources.batchName = base;
        const QString name = saving::saveName(sources);
        const QString fileName = overwrite.fileNameFor(name, QStringLiteral(".txt"));
        if (fileName.isEmpty())
            outcome.skipped.append(saving::fitFileName(name, QStringLiteral(".txt")) + ".txt");
        else if (m_steps.writeOneOfMany(fileName, text, outcome.failed))
            context.panels.setPanelText(QStringLiteral("s2"), QString::number(++outcome.done));
    }
    reportBatchSave(context, outcome);
}

} // namespace commands
