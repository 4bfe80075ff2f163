// What the program reads from a page and changes in it, through scripts in the program's own
// world: the page's markup, its article, the selection and the focused field.
#include "webengineview.h"

#include "inputwatch.h"
#include "pagescript.h"
#include "scriptrunner.h"
#include "webenginepage.h"

#include <QTimer>

namespace browser {

void WebEngineView::readPage(std::function<void(PageRead)> reply) {
    // A tab whose turn to load has not come holds nothing at all.
    if (!queuedAddress().isEmpty() || !m_page || (m_page->url().isEmpty() && !isBusy())) {
        QTimer::singleShot(0, this, [reply] { reply({PageRead::Status::NoDocument, {}, {}}); });
        return;
    }
    const QUrl requested = m_page->requestedUrl();
    m_scripts->run(scriptWithArguments(QStringLiteral("page_content.js"), {}),
                   [reply, requested](const QVariant &value) {
                       const QVariantMap page = value.toMap();
                       if (!page.contains(QStringLiteral("html"))) {
                           reply({PageRead::Status::NoAnswer, {}, {}});
                           return;
                       }
                       // The engine's first, empty document answers until the page asked for
                       // arrives.
                       const bool emptyFirstDocument =
                           page.value(QStringLiteral("url")).toString() ==
                               QLatin1String("about:blank") &&
                           requested.isValid() && requested != QUrl(QStringLiteral("about:blank"));
                       // A document without a root element is no page either: a discarded
                       // page the engine brings back by itself (when shown) answers so while it
                       // loads again.
                       const bool noRoot = page.value(QStringLiteral("html")).toString().isEmpty();
                       if (emptyFirstDocument || noRoot) {
                           reply({PageRead::Status::NoDocument, {}, {}});
                           return;
                       }
                       reply({PageRead::Status::Read, page.value(QStringLiteral("html")).toString(),
                              page.value(QStringLiteral("charset")).toString()});
                   });
}

void WebEngineView::changeHtml(const QString &innerHtml, std::function<void(bool)> reply) {
    runChange(QStringLiteral("set_html.js"), {{QStringLiteral("$HTML"), innerHtml}},
              std::move(reply));
}

void WebEngineView::runChange(const QString &resource,
                              const QList<QPair<QString, QString>> &arguments,
                              std::function<void(bool)> reply) {
    QPointer<WebEngineView> self(this);
    m_scripts->run(scriptWithArguments(resource, arguments), [self, reply = std::move(reply)](
                                                                 const QVariant &value) {
        const bool changed = value.toBool();
        if (changed && self)
            self->m_input->noteUserInput(); // the page now holds what the program put there
        reply(changed);
    });
}

void WebEngineView::readArticleJson(std::function<void(QString)> reply) {
    // Mozilla's Readability, compiled in when the build found it (see src/browser/CMakeLists.txt).
    const QString readability = scriptWithArguments(QStringLiteral("readability.js"), {});
    if (readability.isEmpty()) {
        QTimer::singleShot(0, this, [reply] { reply(QString()); });
        return;
    }
    m_scripts->run(readability + QStringLiteral(";\n") +
                       scriptWithArguments(QStringLiteral("article.js"), {}),
                   [reply](const QVariant &value) { reply(value.toString()); });
}

QString WebEngineView::selectedText() {
    return m_page ? m_page->selectedText() : QString();
}

QString WebEngineView::selectionType() {
    return m_page && m_page->hasSelection() ? QStringLiteral("text") : QStringLiteral("none");
}

void WebEngineView::readFocusedElementType(std::function<void(QString)> reply) {
    m_scripts->run(scriptWithArguments(QStringLiteral("focused_type.js"), {}),
                   [reply](const QVariant &value) { reply(value.toString()); });
}

void WebEngineView::appendToFocusedElement(const QString &text, std::function<void(bool)> reply) {
    runChange(QStringLiteral("append_focused.js"), {{QStringLiteral("$TEXT"), text}},
              std::move(reply));
}

void WebEngineView::setValueByName(const QString &name, const QString &value,
                                   std::function<void(bool)> reply) {
    runChange(QStringLiteral("set_by_name.js"),
              {{QStringLiteral("$NAME"), name}, {QStringLiteral("$VALUE"), value}},
              std::move(reply));
}

} // namespace browser
