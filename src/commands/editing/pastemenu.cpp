#include "pastemenu.h"

#include "browser/browserview.h"
#include "browser/pagereads.h"
#include "commands/savesteps.h"
#include "common/textsearch.h"

#include <QPointer>

namespace commands {

using browser::BrowserView;

PasteMenu::PasteMenu(CommandContext &context,
                     std::function<bool(const QString &, const QString &)> addEntry,
                     std::function<void()> clear)
    : m_context(context), m_addEntry(std::move(addEntry)), m_clear(std::move(clear)) {}

void PasteMenu::copyToMenu() {
    BrowserView *view = m_context.tabs.currentView();
    QString text = SaveSteps(m_context).copySelectionText(view);
    if (text.isEmpty() && view)
        text = common::trimSpaces(view->url().toString());
    if (!text.isEmpty())
        m_addEntry(text, text);
}

void PasteMenu::addressToMenu() {
    if (BrowserView *view = m_context.tabs.currentView()) {
        const QString address = common::trimSpaces(view->url().toString());
        if (!address.isEmpty())
            m_addEntry(address, address);
    }
}

common::Task<> PasteMenu::pasteClipboard() {
    return pasteIntoField(m_context.clipboard.text());
}

common::Task<> PasteMenu::pasteIntoField(QString caption) {
    QPointer<BrowserView> view = m_context.tabs.currentView();
    if (!view)
        co_return;
    const QString type = co_await browser::readFocusedElementType(view);
    if (browser::isTextFieldType(type))
        co_await browser::appendToFocusedElement(view, caption);
}

void PasteMenu::clear() {
    m_clear();
    m_addEntry(QStringLiteral("deletealltool"), QStringLiteral("删除所有"));
}

} // namespace commands
