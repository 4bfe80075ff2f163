#pragma once

#include "commands/savesteps.h"
#include "text/capturetext.h"

#include <QStringList>

#include <functional>

namespace commands {

// Turning what the user copies, in any program, into files in the default save folder.
// Change capture writes every new clipboard text to a file named after its beginning; title
// capture keeps a long text (over 30 characters) as an article body and writes it, under the
// next short text as its title, into a page made from savetemplate/savetext.htm. A handled
// text is removed from the clipboard.
//
// Copies are heard through the clipboard's change listener, queued in the order they came and
// handled one by one: a copy made while a question is open or a command is at work waits for
// it, none is dropped. Changes the program makes itself are not heard (Clipboard::OwnUse).
class ClipboardCapture {
public:
    // `templatePath` is the page template; `busy` tells when a command is running, so that a
    // copy heard meanwhile waits until resume().
    ClipboardCapture(CommandContext &context, QString templatePath, std::function<bool()> busy);

    void setChangeCapture(bool on) { m_change = on; }
    void setTitleCapture(bool on) { m_title = on; }
    bool changeCapture() const { return m_change; }
    bool titleCapture() const { return m_title; }

    // The clipboard changed: its text is queued and handled unless a command is at work.
    void clipboardChanged();
    // Handles the queued copies; the program calls it when a command has finished.
    void resume();
    QString captureBody() const { return m_body; }

private:
    void handleChange(const QString &copied);
    void handleTitle(const QString &copied);
    bool write(const QString &name, const QString &content, const QString &copied);
    void clearIfStill(const QString &copied);

    SaveSteps m_steps;
    QString m_templatePath;
    std::function<bool()> m_busy;
    bool m_change = false;
    bool m_title = false;
    QStringList m_queue;     // copies heard and not yet handled, oldest first
    bool m_handling = false; // resume() is at work (a question may be open)
    QString m_body;
    QString m_failedText; // the text whose file could not be written, reported once
};

} // namespace commands
