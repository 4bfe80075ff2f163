#include "savesteps.h"

#include "batchoutcome.h"
#include "batchrun.h"

#include "filenaming.h"
#include "overwritecheck.h"

#include "browser/browserview.h"
#include "common/ansifile.h"
#include "common/textsearch.h"

namespace saving {

QString SaveSteps::copySelectionText(browser::BrowserView *view) {
    browser::Clipboard &clipboard = m_context.clipboard;
    const browser::Clipboard::OwnUse ownUse(clipboard);
    clipboard.clear();
    if (!view)
        return QString();
    const QString selected = view->selectedText();
    if (!selected.isEmpty())
        clipboard.setText(selected);
    return common::trimSpaces(clipboard.text());
}

void SaveSteps::warnIfBusy(browser::BrowserView *view) {
    if (view && view->isBusy())
        m_context.dialogs.message(shell::kNoticeCaption, QStringLiteral("还没有下载完!"),
                                  shell::Dialogs::Buttons::Ok);
}

QString SaveSteps::confirmOverwrite(const QString &name, const QString &extension) {
    const QString fileName = fitFileName(name, extension) + extension;
    const QString existing = existingFileName(m_context.savePath(), fileName);
    if (existing.isEmpty())
        return fileName;
    const auto answer =
        m_context.dialogs.message(QString(), QStringLiteral("已经存在同样名字的文件，是否要覆盖？"),
                                  shell::Dialogs::Buttons::YesNo);
    return answer == shell::Dialogs::Answer::Yes ? existing : QString();
}

std::optional<QString> SaveSteps::readHtml(browser::BrowserView *view, const QString &failure) {
    std::optional<QString> html = view ? view->html() : std::nullopt;
    if (!html && !failure.isEmpty())
        m_context.dialogs.message(shell::kNoticeCaption, failure, shell::Dialogs::Buttons::Ok);
    return html;
}

std::optional<QString> SaveSteps::readForBatch(browser::BrowserView *view, BatchRun &run,
                                               BatchOutcome &outcome) {
    if (run.stopRequested()) {
        outcome.stopped = true;
        outcome.notSaved.append(view->url().toString());
        return std::nullopt;
    }
    const bool discarded = view->lifeState() == browser::LifeState::Discarded;
    std::optional<QString> html = readHtml(view, QString());
    if (html && discarded)
        ++outcome.reloaded;
    if (!html) {
        outcome.failed.append(
            QStringLiteral("%1（%2）").arg(view->url().toString(), kPageNotSaved));
        run.pageDone(outcome.done);
    }
    return html;
}

std::optional<QString> SaveSteps::readScanText(browser::BrowserView *view) {
    const std::optional<QString> html = readHtml(view, kPageNotRead);
    if (!html)
        return std::nullopt;
    return QStringLiteral("<HTML>") + *html + QStringLiteral("</HTML>");
}

QString SaveSteps::pathOf(const QString &fileName) const {
    return makeSavePath(m_context.savePath(), fileName, QString());
}

bool SaveSteps::writeSaveFile(const QString &fileName, const QString &content, QString *error,
                              bool quiet) {
    QString reason;
    const QString path = pathOf(fileName);
    if (common::writeTextFile(path, content + QStringLiteral("\r\n"), common::FileEncoding::Gb18030,
                              &reason))
        return true;
    if (error)
        *error = reason;
    if (!quiet)
        m_context.dialogs.message(shell::kNoticeCaption,
                                  QStringLiteral("无法保存文件 %1：%2").arg(path, reason),
                                  shell::Dialogs::Buttons::Ok);
    return false;
}

} // namespace saving

namespace saving {

bool SaveSteps::writeOneOfMany(const QString &fileName, const QString &content,
                               QStringList &failures) {
    QString error;
    if (writeSaveFile(fileName, content, &error, true))
        return true;
    failures.append(QStringLiteral("%1（%2）").arg(pathOf(fileName), error));
    return false;
}

void SaveSteps::finishAllPages(const QStringList &failures) {
    if (failures.isEmpty()) {
        m_context.panels.setPanelText(
            QStringLiteral("s2"), QStringLiteral("所有打开网页已经保存到") + m_context.savePath());
        return;
    }
    m_context.dialogs.message(shell::kNoticeCaption,
                              QStringLiteral("下面这些网页没有保存成功，其他网页已经保存：\n") +
                                  failures.join(u'\n'),
                              shell::Dialogs::Buttons::Ok);
    m_context.panels.setPanelText(QStringLiteral("s2"),
                                  QStringLiteral("有%1个网页没有保存成功").arg(failures.size()));
}

} // namespace saving
