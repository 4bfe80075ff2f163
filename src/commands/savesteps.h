#pragma once

#include "saving/savenames.h"

#include "browser/browserview.h"
#include "commands/commandcontext.h"
#include "common/ansifile.h"
#include "common/task.h"

#include <QPointer>
#include <QString>

#include <functional>
#include <optional>

namespace saving {
struct BatchOutcome;
}

namespace commands {

class BatchRun;

// What a command says when the page did not answer its read.
inline const QString kPageNotSaved = QStringLiteral("网页没有响应，没有保存");
inline const QString kPageNotRead = QStringLiteral("网页没有响应，没有读到网页的内容");
// What a command on the selected links says when nothing is selected.
inline const QString kSelectLinksFirst = QStringLiteral("没有选择文字！请选择！");
// What a batch says of a tab closed while it ran, and of one whose page never came.
inline const QString kClosedBeforeSaved = QStringLiteral("网页在保存前被关闭了");
inline const QString kNeverLoaded = QStringLiteral("网页还没有打开，没有保存");

// How long a command waits for a page that has not arrived yet (its turn in the load queue,
// its first document), the window answering all the while.
inline constexpr int kPageArrivalMs = 30000;

// One tab of a batch, held by identity: a tab closed while the batch runs is passed over and
// reported, never touched.
struct BatchTab {
    QPointer<browser::BrowserView> view;
    int viewNumber = 0;
    QString address; // as the batch's report names it
};

// The steps every save shares: reading the selection and the page, the busy warning, the
// question before a file is replaced, and writing the file.
class SaveSteps {
public:
    explicit SaveSteps(CommandContext &context) : m_context(context) {}

    // The selected text through the clipboard: emptied, the selection copied onto it, read
    // back and trimmed of spaces.
    QString copySelectionText(browser::BrowserView *view);
    // The current view, its selected text copied into `selection`; none when there is no view,
    // or (after `notice` is shown) when nothing is selected.
    browser::BrowserView *viewWithSelection(QString *selection, const QString &notice);
    // What names a file saved from `view` (its selection copied as above, its title, address
    // and the time), for saving::saveName.
    saving::NameSources nameSources(browser::BrowserView *view, saving::SaveKind kind);
    // "还没有下载完!" while the page loads; the save goes on after it.
    void warnIfBusy(browser::BrowserView *view);
    // The file name for `name` + `extension`, cut to what the file system takes. When a file
    // of that name (in any letter case) exists, the user is asked; empty when the answer is No.
    // On Yes the existing file's own name is returned, so that it is the one replaced.
    QString confirmOverwrite(const QString &name, const QString &extension);
    // Writes `content` and a CR LF into the default save folder atomically, in GB18030 unless
    // told otherwise. A failure is reported to the user (unless `quiet`) and gives false;
    // `error` says why.
    bool writeSaveFile(const QString &fileName, const QString &content, QString *error = nullptr,
                       bool quiet = false,
                       common::FileEncoding encoding = common::FileEncoding::Gb18030);
    // The current page and the name its file gets, as 保存 names it: the selection, else (once
    // the user agrees) the title. False when there is no page or the user stops to select a
    // name; "还没有下载完!" is said first while the page loads.
    bool nameCurrentPage(QPointer<browser::BrowserView> *view, QString *name);
    QString pathOf(const QString &fileName) const;

    // The page of the current command (waited for while it has not arrived). A page that does
    // not answer (an endless script, a dead renderer), never arrives or whose tab closes gives
    // nothing, and `failure` is shown unless it is empty.
    common::Task<std::optional<browser::PageRead>> readPage(QPointer<browser::BrowserView> view,
                                                            QString failure);
    // The shown tab's page as one plain value, read once: its view (still there when the value
    // comes), address and title as they stood when the markup was read, and the markup.
    struct ShownPage {
        QPointer<browser::BrowserView> view;
        QUrl url;
        QString title;
        browser::PageRead page;
        QString selection; // readSelectedPage: the selected text, copied before the read
    };
    enum class Markup { AsIs, ForScanners };
    // Nothing when no tab is shown or its page gives nothing (kPageNotRead is told then).
    // ForScanners wraps the HTML in "<HTML>" and "</HTML>" as the link and e-mail scanners
    // read it.
    common::Task<std::optional<ShownPage>> readShownPage(Markup markup);
    // The same with the selected text, copied (as copySelectionText does) before the read:
    // nothing, after `notice` is shown, when nothing is selected.
    common::Task<std::optional<ShownPage>> readSelectedPage(Markup markup, QString notice);
    // The same, its HTML wrapped in "<HTML>" and "</HTML>" as the link and e-mail scanners
    // read it; the failure told is kPageNotRead.
    common::Task<std::optional<browser::PageRead>>
    readScanText(QPointer<browser::BrowserView> view);

    // The tabs of a batch, from the last tab back to the one at `firstPosition`.
    static QList<BatchTab> batchTabs(const browser::TabHost &tabs, int firstPosition);
    // The page of one tab of a batch, or nothing when it is passed over: the user has asked
    // to stop (noted in `outcome.notSaved`), or the page did not answer, never arrived or its
    // tab was closed (noted in `outcome.failed`, and counted as handled by `run`). When a page
    // comes, its view is still there.
    common::Task<std::optional<browser::PageRead>> readForBatch(BatchTab tab, BatchRun &run,
                                                                saving::BatchOutcome &outcome);
    // What one page of a batch becomes: the file's name (without the extension) and content.
    struct BatchFile {
        QString name;
        QString content;
        common::FileEncoding encoding = common::FileEncoding::Gb18030;
    };
    // One page of an all-pages save: writes it quietly; a failure is noted in `failures`.
    bool writeOneOfMany(const QString &fileName, const BatchFile &file, QStringList &failures);

    using PrepareFile = std::function<std::optional<BatchFile>(
        const BatchTab &, const browser::PageRead &, saving::BatchOutcome &)>;
    // The same for a page whose file takes waiting for (fetching what it uses).
    using PrepareFileLater = std::function<common::Task<std::optional<BatchFile>>(
        const BatchTab &, const browser::PageRead &, saving::BatchOutcome &)>;
    // The batch save of every tab from the last back to `firstPosition`: each page read once,
    // `prepare` makes its file (no value: nothing to write, the reason noted in the outcome),
    // the overwrite question asked with 全部覆盖/全部跳过, the file written, `saved` told, the
    // batch bar moved on; at the end the outcome reported.
    common::Task<> saveAllTabs(int firstPosition, QString extension, PrepareFile prepare,
                               std::function<void(const BatchTab &, const QString &)> saved);
    common::Task<> saveAllTabsLater(int firstPosition, QString extension, PrepareFileLater prepare,
                                    std::function<void(const BatchTab &, const QString &)> saved);
    CommandContext &context() const { return m_context; }

private:
    common::Task<std::optional<ShownPage>> readShown(QPointer<browser::BrowserView> view,
                                                     Markup markup, QString selection);

    CommandContext &m_context;
};

} // namespace commands
