#pragma once

#include "capturetext.h"
#include "saving/savesteps.h"

#include <functional>

namespace text {

// Turning what the user copies, in any program, into files in the default save folder.
// Change capture writes every new clipboard text to a file named after its beginning; title
// capture keeps a long text (over 30 characters) as an article body and writes it, under the
// next short text as its title, into a page made from savetemplate/savetext.htm. A handled
// text is removed from the clipboard: that is how the next one is noticed.
class ClipboardCapture {
public:
    // `templatePath` is the page template; `busy` tells when a command is running, so that a
    // tick that arrives meanwhile leaves the clipboard to it.
    ClipboardCapture(shell::CommandContext &context, QString templatePath,
                     std::function<bool()> busy);

    void changeTick(); // every second while change capture runs
    void titleTick();  // every second while title capture runs
    QString captureBody() const { return m_body; }

private:
    QString pendingText() const;
    bool write(const QString &name, const QString &content, const QString &copied);

    saving::SaveSteps m_steps;
    QString m_templatePath;
    std::function<bool()> m_busy;
    QString m_body;
    bool m_asking = false; // an overwrite question is open: ticks wait
    QString m_failedText;  // the text whose file could not be written, reported once
};

} // namespace text
