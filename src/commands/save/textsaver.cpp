#include "textsaver.h"

#include "browser/browserview.h"
#include "saving/filenaming.h"
#include "text/htmltotext.h"

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
        context.panels.setPanelText(Panel::Message,
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
    const auto prepare =
        [this, base, deleteLinks](const BatchTab &tab, const browser::PageRead &page,
                                  saving::BatchOutcome &) -> std::optional<SaveSteps::BatchFile> {
        saving::NameSources sources = m_steps.nameSources(tab.view, saving::SaveKind::TextInBatch);
        sources.viewNumber = tab.viewNumber;
        sources.batchName = base;
        return SaveSteps::BatchFile{saving::saveName(sources), pageText(page.html, deleteLinks)};
    };
    int saved = 0;
    co_await m_steps.saveAllTabs(
        1, QStringLiteral(".txt"), prepare, [&context, &saved](const BatchTab &, const QString &) {
            context.panels.setPanelText(Panel::Message, QString::number(++saved));
        });
}

} // namespace commands
