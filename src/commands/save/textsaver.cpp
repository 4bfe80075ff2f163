#include "textsaver.h"

#include "browser/browserview.h"
#include "commands/batchreport.h"
#include "commands/batchrun.h"
#include "commands/overwritechoice.h"
#include "saving/fallbackname.h"
#include "saving/filenaming.h"
#include "text/htmltotext.h"

#include <QScopeGuard>

namespace commands {

namespace {

bool hasTextSelection(browser::BrowserView *view) {
    return view->selectionType().toLower() == QLatin1String("text");
}

} // namespace

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
    const bool selected = hasTextSelection(view);
    const QString name =
        saving::nameOrFallback(saving::correctName(m_steps.copySelectionText(view)), view->title(),
                               view->url(), QDateTime::currentDateTime());
    if (!selected) {
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
    const QString text = m_steps.copySelectionText(view);
    if (text.isEmpty())
        return;
    const QString name = saving::nameOrFallback(saving::correctName(text.left(10)), view->title(),
                                                view->url(), QDateTime::currentDateTime());
    const QString fileName = m_steps.confirmOverwrite(name, QStringLiteral(".txt"));
    if (!fileName.isEmpty())
        m_steps.writeSaveFile(fileName, text);
}

common::Task<> TextSaver::saveAllWText(bool deleteLinks) {
    CommandContext &context = m_steps.context();
    browser::BrowserView *current = context.tabs.currentView();
    if (!current)
        co_return;
    const bool selected = hasTextSelection(current);
    QString base = m_steps.copySelectionText(current);
    if (!selected) {
        context.dialogs.message(kNoticeCaption,
                                QStringLiteral("请选择网页中的文字作为保存文件的名字！"),
                                Dialogs::Buttons::Ok);
        co_return;
    }
    base = saving::correctName(base);
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
        const bool viewSelected = hasTextSelection(view);
        const QString selection = m_steps.copySelectionText(view);
        QString name = viewSelected ? saving::correctName(selection) : QString();
        if (name.isEmpty())
            name = base + QString::number(tab.viewNumber);
        const QString fileName = overwrite.fileNameFor(name, QStringLiteral(".txt"));
        if (fileName.isEmpty())
            outcome.skipped.append(saving::fitFileName(name, QStringLiteral(".txt")) + ".txt");
        else if (m_steps.writeOneOfMany(fileName, text, outcome.failed))
            context.panels.setPanelText(QStringLiteral("s2"), QString::number(++outcome.done));
    }
    reportBatchSave(context, outcome);
}

} // namespace commands
