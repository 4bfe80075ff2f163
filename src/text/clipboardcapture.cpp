#include "clipboardcapture.h"

#include "common/ansifile.h"
#include "saving/fallbackname.h"
#include "saving/filenaming.h"

namespace text {

ClipboardCapture::ClipboardCapture(shell::CommandContext &context, QString templatePath,
                                   std::function<bool()> busy)
    : m_steps(context), m_templatePath(std::move(templatePath)), m_busy(std::move(busy)) {}

// Writes a captured file; false when it was not written (the question answered No, or the
// write failed). A failure is reported once per text, and the text stays on the clipboard.
bool ClipboardCapture::write(const QString &name, const QString &content, const QString &copied) {
    m_asking = true;
    const QString fileName = m_steps.confirmOverwrite(name, QStringLiteral(".htm"));
    m_asking = false;
    if (fileName.isEmpty())
        return false;
    QString error;
    const bool quiet = copied == m_failedText;
    if (!m_steps.writeSaveFile(fileName, content, &error, true)) {
        if (!quiet)
            m_steps.context().dialogs.message(
                shell::kNoticeCaption,
                QStringLiteral("无法保存复制的文字到 %1：%2\n文字仍在剪贴板上。")
                    .arg(m_steps.pathOf(fileName), error),
                shell::Dialogs::Buttons::Ok);
        m_failedText = copied;
        return false;
    }
    m_failedText.clear();
    return true;
}

// The text a tick handles: none while a question is open or a command is at work.
QString ClipboardCapture::pendingText() const {
    if (m_asking || (m_busy && m_busy()))
        return QString();
    return m_steps.context().clipboard.text();
}

void ClipboardCapture::changeTick() {
    browser::Clipboard &clipboard = m_steps.context().clipboard;
    const QString copied = pendingText();
    if (copied.isEmpty())
        return;
    QString name = captureFileName(copied);
    if (name.isEmpty())
        name = saving::untitledName(QDateTime::currentDateTime());
    if (write(name, copied, copied))
        clipboard.clear();
}

void ClipboardCapture::titleTick() {
    browser::Clipboard &clipboard = m_steps.context().clipboard;
    const QString copied = pendingText();
    if (copied.isEmpty())
        return;
    if (copied.size() > 30) {
        m_body = captureBodyHtml(copied);
    } else if (!m_body.isEmpty()) {
        QString name = saving::correctName(copied);
        if (name.isEmpty())
            name = saving::untitledName(QDateTime::currentDateTime());
        const QString page = capturePage(common::readTextFile(m_templatePath).text, name, m_body);
        if (!write(name, page, copied))
            return;
        m_body.clear();
    }
    clipboard.clear();
}

} // namespace text
