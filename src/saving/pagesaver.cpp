#include "pagesaver.h"

#include "batchreport.h"
#include "batchrun.h"
#include "charsetdeclaration.h"
#include "fallbackname.h"
#include "filenaming.h"
#include "linkrewriter.h"
#include "normalisedtags.h"
#include "overwritechoice.h"

#include "browser/browserview.h"
#include "common/textsearch.h"

#include <QScopeGuard>

namespace saving {

using shell::Dialogs;

QString PageSaver::pageContent(const QString &innerHtml) {
    return declareCharset(QStringLiteral("<HTML>") + innerHtml + QStringLiteral("</HTML>"),
                          QStringLiteral("gb18030"));
}

void PageSaver::onlySave(bool absoluteLinks) {
    shell::CommandContext &context = m_steps.context();
    browser::BrowserView *view = context.tabs.currentView();
    if (!view)
        return;
    m_steps.warnIfBusy(view);
    QString name = correctName(m_steps.copySelectionText(view));
    if (name.isEmpty()) {
        const auto answer = context.dialogs.message(
            shell::kNoticeCaption,
            QStringLiteral(
                "您没有在网页中选中一段文字作为文件名，如果以网页标题为文件名，请按【确定】，"
                "否则请在网页中选择一段文字，再重新保存!"),
            Dialogs::Buttons::OkCancel);
        if (answer != Dialogs::Answer::Ok)
            return;
        name = nameOrFallback(QString(), view->title(), view->url(), QDateTime::currentDateTime());
    }
    const std::optional<QString> html = m_steps.readHtml(view, kPageNotSaved);
    if (!html)
        return;
    QString content = pageContent(*html);
    const QString fileName = m_steps.confirmOverwrite(name, QStringLiteral(".htm"));
    if (fileName.isEmpty())
        return;
    if (absoluteLinks)
        content =
            rewriteLinks(content, view->url().toString(QUrl::FullyEncoded), view->characterSet());
    if (m_steps.writeSaveFile(fileName, content)) {
        context.panels.setPanelText(QStringLiteral("s2"),
                                    QStringLiteral("该网页已经保存到") + m_steps.pathOf(fileName));
        if (context.noteSaved)
            context.noteSaved(view->url(), fileName);
    }
}

void PageSaver::saveAllW(bool absoluteLinks) {
    shell::CommandContext &context = m_steps.context();
    browser::TabHost &tabs = context.tabs;
    context.clipboard.clear();
    OverwriteChoice overwrite(context.dialogs, context.savePath());
    BatchOutcome outcome;
    BatchRun run(context, tabs.tabCount() - 1);
    for (int position = tabs.tabCount(); position >= 2; --position) {
        browser::BrowserView *view = tabs.viewAtPosition(position);
        if (!view)
            continue;
        const std::optional<QString> html = m_steps.readForBatch(view, run, outcome);
        if (!html)
            continue;
        const auto step = qScopeGuard([&] { run.pageDone(outcome.done); });
        const QString content = pageContent(*html);
        QString name;
        if (m_rule.enabled) {
            // Markers typed from a page's source meet the engine's markup, whose tags are
            // written its own way: both are compared in one form.
            const std::optional<QString> extracted = extractFileName(
                normaliseTags(content), normaliseTags(m_rule.before), normaliseTags(m_rule.after));
            if (!extracted || extracted->isEmpty()) {
                outcome.noName.append(view->url().toString());
                continue;
            }
            name = *extracted;
        } else {
            const bool textSelected = view->selectionType().toLower() == QLatin1String("text");
            const QString selection = m_steps.copySelectionText(view);
            name = textSelected && !selection.isEmpty() ? correctName(selection) : QString();
            if (name.isEmpty())
                name = correctName(shownTitle(view->title(), view->url()));
            if (name.isEmpty())
                name = QStringLiteral("No") + QString::number(tabs.viewNumberAt(position));
        }
        const QString fileName = overwrite.fileNameFor(name, QStringLiteral(".htm"));
        if (fileName.isEmpty())
            outcome.skipped.append(fitFileName(name, QStringLiteral(".htm")) + ".htm");
        else if (m_steps.writeOneOfMany(
                     fileName,
                     absoluteLinks ? rewriteLinks(content, view->url().toString(QUrl::FullyEncoded),
                                                  view->characterSet())
                                   : content,
                     outcome.failed)) {
            ++outcome.done;
            if (context.noteSaved)
                context.noteSaved(view->url(), fileName);
        }
    }
    reportBatchSave(context, outcome);
}

} // namespace saving
