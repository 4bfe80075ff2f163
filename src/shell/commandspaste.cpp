#include "commands.h"

#include "mainwindow.h"
#include "tabmanager.h"
#include "toolbar.h"

#include "browser/pagereads.h"

#include "common/textsearch.h"
#include <QPointer>

// The copy and paste buttons and the paste menu.
namespace shell {

using browser::BrowserView;

namespace {

const QString kPaste = QStringLiteral("paste");

} // namespace

void Commands::copyToPasteMenu() {
    BrowserView *view = m_window.tabs().currentView();
    QString text = copySelection(view);
    if (text.isEmpty() && view)
        text = common::trimSpaces(view->url().toString());
    if (!text.isEmpty())
        m_window.toolbar().addMenuEntry(kPaste, text, text);
}

void Commands::addressToPasteMenu() {
    if (BrowserView *view = m_window.tabs().currentView()) {
        const QString address = common::trimSpaces(view->url().toString());
        if (!address.isEmpty())
            m_window.toolbar().addMenuEntry(kPaste, address, address);
    }
}

common::Task<> Commands::pasteClipboard() {
    return pasteIntoField(m_window.clipboard().text());
}

common::Task<> Commands::pasteIntoField(QString caption) {
    QPointer<BrowserView> view = m_window.tabs().currentView();
    if (!view)
        co_return;
    const QString type = co_await browser::readFocusedElementType(view);
    if (browser::isTextFieldType(type))
        co_await browser::appendToFocusedElement(view, caption);
}

void Commands::clearPasteMenu() {
    Toolbar &toolbar = m_window.toolbar();
    toolbar.clearMenu(kPaste);
    toolbar.addMenuEntry(kPaste, QStringLiteral("deletealltool"), QStringLiteral("删除所有"));
}

} // namespace shell
