#include "pagedeletions.h"

#include "deletion.h"
#include "linkdeletion.h"

#include "browser/browserview.h"

namespace editing {

using shell::Dialogs;

// The current page's selection; empty (after telling the user) when nothing is selected.
QString PageDeletions::selectionOfCurrentPage() {
    browser::BrowserView *view = m_context.tabs.currentView();
    if (!view)
        return {};
    const QString selection = m_steps.copySelectionText(view);
    if (selection.isEmpty())
        m_context.dialogs.message(shell::kNoticeCaption,
                                  QStringLiteral("请选择网页中你要删除的文字！"),
                                  Dialogs::Buttons::Ok);
    return selection;
}

// Sets the page again only when something was removed; true then.
bool PageDeletions::changePage(browser::BrowserView *view, const QString &selection, bool links) {
    if (!view || view->url() == m_folder.favouritesUrl())
        return false;
    // A page that did not answer is left as it is, never replaced by an empty one.
    const std::optional<QString> html = view->html();
    if (!html)
        return false;
    const QString changed =
        links ? removeLinksWithText(*html, selection) : removeFromShownText(*html, selection);
    if (changed == *html)
        return false;
    view->setHtml(changed);
    return true;
}

void PageDeletions::deleteLinksFromCurrentPage() {
    const QString selection = selectionOfCurrentPage();
    if (!selection.isEmpty())
        changePage(m_context.tabs.currentView(), selection, true);
}

void PageDeletions::deleteFromAllPages(bool links) {
    const QString selection = selectionOfCurrentPage();
    if (selection.isEmpty())
        return;
    int changed = 0;
    for (int position = 1; position <= m_context.tabs.tabCount(); ++position) {
        if (changePage(m_context.tabs.viewAtPosition(position), selection, links))
            ++changed;
    }
    m_context.panels.setPanelText(QStringLiteral("s1"),
                                  QStringLiteral("已从 %1 个网页上删除").arg(changed));
}

} // namespace editing
