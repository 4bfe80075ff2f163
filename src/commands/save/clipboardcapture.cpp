#include "clipboardcapture.h"

#include "common/ansifile.h"
#include "saving/fallbackname.h"
#include "saving/filenaming.h"

namespace commands {

ClipboardCapture::ClipboardCapture(CommandContext &context, QString templatePath,
                                   std::function<bool()> busy)
    : m_steps(context), m_templatePath(std::move(templatePath)), m_busy(std::move(busy)) {}

void ClipboardCapture::clipboardChanged() {
    if (!m_change && !m_title)
        return;
    const QString copied = m_steps.context().clipboard.text();
    if (copied.isEmpty())
        return;
    m_queue.append(copied);
    resume();
}

// A copy heard while a question of this loop is open is queued and handled by the loop
// itself, after the one it asks about: the order of the copies is kept.
void ClipboardCapture::resume() {
    if (m_handling || (m_busy && m_busy()))
        return;
    m_handling = true;
    while (!m_queue.isEmpty() && !(m_busy && m_busy())) {
        const QString copied = m_queue.takeFirst();
        if (m_change)
            handleChange(copied);
        if (m_title)
            handleTitle(copied);
    }
    m_handling = false;
}

// Writes a captured file; false when it was not written (the question answered No, or the
// write failed). A failure is reported once per text, and the text stays on the clipboard.
bool ClipboardCapture::write(const QString &name, const QString &content, const QString &copied) {
    const QString fileName = m_steps.confirmOverwrite(name, QStringLiteral(".htm"));
    if (fileName.isEmpty())
        return false;
    QString error;
    const bool quiet = copied == m_failedText;
    if (!m_steps.writeSaveFile(fileName, content, &error, true)) {
        if (!quiet)
            m_steps.context().dialogs.message(
                kNoticeCaption,
                QStringLiteral("无法保存复制的文字到 %1：%2\n文字仍在剪贴板上。")
                    .arg(m_steps.pathOf(fileName), error),
                Dialogs::Buttons::Ok);
        m_failedText = copied;
        return false;
    }
    m_failedText.clear();
    return true;
}

// Only the text handled is taken off the clipboard; a newer copy stays for the user.
void ClipboardCapture::clearIfStill(const QString &copied) {
    Clipboard &clipboard = m_steps.context().clipboard;
    if (clipboard.text() != copied)
        return;
    const Clipboard::OwnUse ownUse(clipboard);
    clipboard.clear();
}

void ClipboardCapture::handleChange(const QString &copied) {
    QString name = text::captureFileName(copied);
    if (name.isEmpty())
        name = saving::untitledName(QDateTime::currentDateTime());
    if (write(name, text::captureTextHtml(copied), copied))
        clearIfStill(copied);
}

void ClipboardCapture::handleTitle(const QString &copied) {
    if (copied.size() > 30) {
        m_body = text::captureBodyHtml(copied);
    } else if (!m_body.isEmpty()) {
        QString name = saving::correctName(copied);
        if (name.isEmpty())
            name = saving::untitledName(QDateTime::currentDateTime());
        const QString page = text::capturePage(common::readTextFile(m_templatePath).text,
                                               text::escapeCapturedText(copied), m_body);
        if (!write(name, page, copied))
            return;
        m_body.clear();
    }
    clearIfStill(copied);
}

} // namespace commands
