#pragma once

#include "saving/savesteps.h"

#include <functional>

namespace text {

// The file name change capture gives a copied text: its first 30 characters cleaned for a
// file name, then cut to 15. Example: captureFileName(u"第一章：风雨 ...") == "第一章：风雨".
QString captureFileName(const QString &copied);

// The article body title capture keeps: "<br>", two full-width spaces (U+E5E5, bytes A3 A0
// in GBK) and the text, every CR LF a "<br>".
QString captureBodyHtml(const QString &copied);

// The page of a captured article: the template with every "标题" replaced by the title, then
// every "正文" by the body (a title holding "正文" gets the body there too).
QString capturePage(const QString &pageTemplate, const QString &title, const QString &body);

// Turning what the user copies, in any program, into files in the default save folder.
// Change capture writes every new clipboard text to a file named after its beginning; title
// capture keeps a long text (over 30 characters) as an article body and writes it, under the
// next short text as its title, into a page made from savetemplate/savetext.htm. A handled
// text is removed from the clipboard: that is how the next one is noticed.
class ClipboardCapture {
public:
    // `templatePath` is the page template; `busy` tells when a command is running, so that a
    // tick that arrives meanwhile leaves the clipboard to it.
    ClipboardCapture(shell::CommandContext &context, QString templatePath, std::function<bool()> busy);

    void changeTick(); // every second while change capture runs
    void titleTick();  // every second while title capture runs
    QString captureBody() const { return m_body; }

private:
    bool write(const QString &name, const QString &content, const QString &copied);

    saving::SaveSteps m_steps;
    QString m_templatePath;
    std::function<bool()> m_busy;
    QString m_body;
    bool m_asking = false;   // an overwrite question is open: ticks wait
    QString m_failedText;    // the text whose file could not be written, reported once
};

} // namespace text
