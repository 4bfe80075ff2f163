#include "pagedeletions.h"

#include "browser/pagereads.h"
#include "commands/batchrun.h"
#include "editing/deletion.h"
#include "editing/linkdeletion.h"

namespace commands {

// The current page's selection; empty (after telling the user) when nothing is selected.
QString PageDeletions::selectionOfCurrentPage() {
    browser::BrowserView *view = m_context.tabs.currentView();
    if (!view)
        return {};
    const QString selection = m_steps.copySelectionText(view);
    if (selection.isEmpty())
        m_context.dialogs.message(kNoticeCaption, QStringLiteral("请选择网页中你要删除的文字！"),
                                  Dialogs::Buttons::Ok);
    return selection;
}

common::Task<bool> PageDeletions::changePage(QPointer<browser::BrowserView> view, QString selection,
                                             bool links) {
    if (!view || view->url() == m_folder.favouritesUrl())
        co_return false;
    // A page that did not answer is left as it is, never replaced by an empty one.
    const browser::PageRead page = co_await browser::readLoadedPage(view, kPageArrivalMs);
    if (!page.ok() || !view)
        co_return false;
    const QString changed = links ? editing::removeLinksWithText(page.html, selection)
                                  : editing::removeFromShownText(page.html, selection);
    if (changed == page.html)
        co_return false;
    co_return co_await browser::changeHtml(view, changed);
}

common::Task<> PageDeletions::deleteLinksFromCurrentPage() {
    const QString selection = selectionOfCurrentPage();
    if (!selection.isEmpty())
        co_await changePage(m_context.tabs.currentView(), selection, true);
}

common::Task<> PageDeletions::deleteFromAllPages(bool links) {
    const QString selection = selectionOfCurrentPage();
    if (selection.isEmpty())
        co_return;
    const QList<BatchTab> batch = SaveSteps::batchTabs(m_context.tabs, 1);
    BatchRun run(m_context, int(batch.size()));
    int changed = 0;
    for (const BatchTab &tab : batch) {
        if (run.stopRequested())
            break;
        const bool removed = co_await changePage(tab.view, selection, links);
        if (removed)
            ++changed;
        run.pageDone(changed);
    }
    m_context.panels.setPanelText(Panel::Counts,
                                  QStringLiteral("已从 %1 个网页上删除").arg(changed));
}

} // namespace commands
