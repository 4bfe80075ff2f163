#pragma once

#include "commands/commandcontext.h"

#include <QString>

#include <optional>

namespace browser {
class BrowserView;
}

namespace saving {

class BatchRun;
struct BatchOutcome;

// What a command says when the page did not answer its read.
inline const QString kPageNotSaved = QStringLiteral("网页没有响应，没有保存");
inline const QString kPageNotRead = QStringLiteral("网页没有响应，没有读到网页的内容");

// The steps every save shares: reading the selection, the busy warning, the question before a
// file is replaced, and writing the file.
class SaveSteps {
public:
    explicit SaveSteps(shell::CommandContext &context) : m_context(context) {}

    // The selected text through the clipboard: emptied, the selection copied onto it, read
    // back and trimmed of spaces.
    QString copySelectionText(browser::BrowserView *view);
    // "还没有下载完!" while the page loads; the save goes on after it.
    void warnIfBusy(browser::BrowserView *view);
    // The file name for `name` + `extension`, cut to what the file system takes. When a file
    // of that name (in any letter case) exists, the user is asked; empty when the answer is No.
    // On Yes the existing file's own name is returned, so that it is the one replaced.
    QString confirmOverwrite(const QString &name, const QString &extension);
    // Writes `content` and a CR LF into the default save folder atomically, in GB18030. A
    // failure is reported to the user (unless `quiet`) and gives false; `error` says why.
    bool writeSaveFile(const QString &fileName, const QString &content, QString *error = nullptr,
                       bool quiet = false);
    QString pathOf(const QString &fileName) const;
    // The page's inner HTML. A page that does not answer (an endless script, a dead renderer)
    // gives nothing, and `failure` is shown unless it is empty.
    // The page of an all-pages save, or nothing when the page is to be passed over: the user
    // has asked to stop (noted in `outcome.notSaved`), or the page did not answer (noted in
    // `outcome.failed`, and counted as handled by `run`).
    std::optional<QString> readForBatch(browser::BrowserView *view, BatchRun &run,
                                        BatchOutcome &outcome);
    // The page as the link and e-mail scanners read it: its HTML wrapped in "<HTML>" and
    // "</HTML>"; nothing, after telling the user (kPageNotRead), when it did not answer.
    std::optional<QString> readScanText(browser::BrowserView *view);
    std::optional<QString> readHtml(browser::BrowserView *view, const QString &failure);
    // One page of an all-pages save: writes it quietly; a failure is noted in `failures`.
    bool writeOneOfMany(const QString &fileName, const QString &content, QStringList &failures);
    // The end of an all-pages save: one message naming the pages that could not be saved and
    // their number in the status bar, or "所有打开网页已经保存到" and the folder.
    void finishAllPages(const QStringList &failures);
    shell::CommandContext &context() const { return m_context; }

private:
    shell::CommandContext &m_context;
};

} // namespace saving
