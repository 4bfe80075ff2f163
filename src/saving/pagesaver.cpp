#include "pagesaver.h"

#include "charsetdeclaration.h"
#include "fallbackname.h"
#include "filenaming.h"
#include "linkrewriter.h"

#include "browser/browserview.h"
#include "common/textsearch.h"

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
    if (m_steps.writeSaveFile(fileName, content))
        context.panels.setPanelText(QStringLiteral("s2"),
                                    QStringLiteral("该网页已经保存到") + m_steps.pathOf(fileName));
}

void PageSaver::saveAllW(bool absoluteLinks) {
    shell::CommandContext &context = m_steps.context();
    browser::TabHost &tabs = context.tabs;
    context.clipboard.clear();
    QStringList failures;
    for (int position = tabs.tabCount(); position >= 2; --position) {
        browser::BrowserView *view = tabs.viewAtPosition(position);
        if (!view)
            continue;
        const std::optional<QString> html = m_steps.readHtml(view, QString());
        if (!html) {
            failures.append(QStringLiteral("%1（%2）").arg(view->url().toString(), kPageNotSaved));
            continue;
        }
        const QString content = pageContent(*html);
        QString name;
        if (m_rule.enabled) {
            const std::optional<QString> extracted =
                extractFileName(content, m_rule.before, m_rule.after);
            if (!extracted)
                continue;
            if (extracted->isEmpty()) {
                context.dialogs.message(
                    QString(), QStringLiteral("提取不出文件名，请重新定义提取文件名方式！"),
                    Dialogs::Buttons::Ok);
                return;
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
        const QString fileName = m_steps.confirmOverwrite(name, QStringLiteral(".htm"));
        if (fileName.isEmpty())
            return;
        m_steps.writeOneOfMany(
            fileName, absoluteLinks ? rewriteLinks(content, view->url().toString()) : content,
            failures);
    }
    m_steps.finishAllPages(failures);
}

} // namespace saving
