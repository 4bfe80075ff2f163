#include "savesteps.h"

#include "batchreport.h"
#include "batchrun.h"
#include "overwritechoice.h"

#include "browser/pagereads.h"
#include "common/ansifile.h"
#include "common/textsearch.h"
#include "saving/batchoutcome.h"
#include "saving/filenaming.h"
#include "saving/overwritecheck.h"
#include <QDateTime>
#include <QScopeGuard>

namespace commands {

saving::NameSources SaveSteps::nameSources(browser::BrowserView *view, saving::SaveKind kind) {
    saving::NameSources sources;
    sources.kind = kind;
    sources.selection = copySelectionText(view);
    if (view) {
        sources.selectionIsText = view->selectionType().toLower() == QLatin1String("text");
        sources.title = view->title();
        sources.url = view->url();
    }
    sources.when = QDateTime::currentDateTime();
    return sources;
}

browser::BrowserView *SaveSteps::viewWithSelection(QString *selection, const QString &notice) {
    browser::BrowserView *view = m_context.tabs.currentView();
    if (!view)
        return nullptr;
    *selection = copySelectionText(view);
    if (!selection->isEmpty())
        return view;
    m_context.dialogs.message(kNoticeCaption, notice, Dialogs::Buttons::Ok);
    return nullptr;
}

QString SaveSteps::copySelectionText(browser::BrowserView *view) {
    Clipboard &clipboard = m_context.clipboard;
    const Clipboard::OwnUse ownUse(clipboard);
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
        m_context.dialogs.message(kNoticeCaption, QStringLiteral("还没有下载完!"),
                                  Dialogs::Buttons::Ok);
}

QString SaveSteps::confirmOverwrite(const QString &name, const QString &extension) {
    const QString fileName = saving::fitFileName(name, extension) + extension;
    const QString existing = saving::existingFileName(m_context.savePath(), fileName);
    if (existing.isEmpty())
        return fileName;
    const auto answer = m_context.dialogs.message(
        QString(), QStringLiteral("已经存在同样名字的文件“%1”，是否要覆盖？").arg(existing),
        Dialogs::Buttons::YesNo);
    return answer == Dialogs::Answer::Yes ? existing : QString();
}

common::Task<std::optional<browser::PageRead>>
SaveSteps::readPage(QPointer<browser::BrowserView> view, QString failure) {
    browser::PageRead page = co_await browser::readLoadedPage(view, kPageArrivalMs);
    if (page.ok() && view)
        co_return page;
    if (!failure.isEmpty() && page.status != browser::PageRead::Status::Closed &&
        page.status != browser::PageRead::Status::Stopped)
        m_context.dialogs.message(kNoticeCaption, failure, Dialogs::Buttons::Ok);
    co_return std::nullopt;
}

common::Task<std::optional<SaveSteps::ShownPage>> SaveSteps::readShownPage(Markup markup) {
    co_return co_await readShown(m_context.tabs.currentView(), markup, QString());
}

common::Task<std::optional<SaveSteps::ShownPage>> SaveSteps::readSelectedPage(Markup markup,
                                                                              QString notice) {
    QString selection;
    browser::BrowserView *view = viewWithSelection(&selection, notice);
    if (!view)
        co_return std::nullopt;
    co_return co_await readShown(view, markup, selection);
}

common::Task<std::optional<SaveSteps::ShownPage>>
SaveSteps::readShown(QPointer<browser::BrowserView> view, Markup markup, QString selection) {
    if (!view)
        co_return std::nullopt;
    std::optional<browser::PageRead> page;
    if (markup == Markup::ForScanners)
        page = co_await readScanText(view);
    else
        page = co_await readPage(view, kPageNotRead);
    if (!page || !view)
        co_return std::nullopt;
    co_return ShownPage{view, view->url(), view->title(), *page, selection};
}

common::Task<std::optional<browser::PageRead>>
SaveSteps::readScanText(QPointer<browser::BrowserView> view) {
    std::optional<browser::PageRead> page = co_await readPage(view, kPageNotRead);
    if (page)
        page->html = QStringLiteral("<HTML>") + page->html + QStringLiteral("</HTML>");
    co_return page;
}

QList<BatchTab> SaveSteps::batchTabs(const browser::TabHost &tabs, int firstPosition) {
    QList<BatchTab> batch;
    for (int position = tabs.tabCount(); position >= firstPosition; --position) {
        browser::BrowserView *view = tabs.viewAtPosition(position);
        if (!view)
            continue;
        const QUrl address = view->queuedAddress().isEmpty() ? view->url() : view->queuedAddress();
        batch.append({view, tabs.viewNumberAt(position), address.toString()});
    }
    return batch;
}

common::Task<std::optional<browser::PageRead>>
SaveSteps::readForBatch(BatchTab tab, BatchRun &run, saving::BatchOutcome &outcome) {
    if (run.stopRequested()) {
        outcome.stopped = true;
        outcome.notSaved.append(tab.address);
        co_return std::nullopt;
    }
    const bool discarded = tab.view && tab.view->lifeState() == browser::LifeState::Discarded;
    browser::PageRead page = co_await browser::readLoadedPage(tab.view, kPageArrivalMs);
    // A tab left empty (its load stopped before its turn) holds nothing worth a file; an
    // empty file is never written and never recorded as saved.
    if (page.ok() && ((tab.view && tab.view->url() == QUrl(QStringLiteral("about:blank"))) ||
                      page.html.trimmed().isEmpty()))
        page.status = browser::PageRead::Status::NoDocument;
    if (page.ok() && !tab.view)
        page.status = browser::PageRead::Status::Closed;
    if (page.status == browser::PageRead::Status::Stopped) {
        outcome.stopped = true;
        outcome.notSaved.append(tab.address);
        co_return std::nullopt;
    }
    if (page.ok()) {
        if (discarded)
            ++outcome.reloaded;
        co_return page;
    }
    const QString why = page.status == browser::PageRead::Status::Closed       ? kClosedBeforeSaved
                        : page.status == browser::PageRead::Status::NoDocument ? kNeverLoaded
                                                                               : kPageNotSaved;
    outcome.failed.append(QStringLiteral("%1（%2）").arg(tab.address, why));
    run.pageDone(outcome.done);
    co_return std::nullopt;
}

QString SaveSteps::pathOf(const QString &fileName) const {
    return saving::makeSavePath(m_context.savePath(), fileName, QString());
}

bool SaveSteps::writeSaveFile(const QString &fileName, const QString &content, QString *error,
                              bool quiet, common::FileEncoding encoding) {
    QString reason;
    const QString path = pathOf(fileName);
    if (common::writeTextFile(path, content + QStringLiteral("\r\n"), encoding, &reason)) {
        if (m_context.noteWritten)
            m_context.noteWritten(path);
        return true;
    }
    if (error)
        *error = reason;
    if (!quiet)
        m_context.dialogs.message(kNoticeCaption,
                                  QStringLiteral("无法保存文件 %1：%2").arg(path, reason),
                                  Dialogs::Buttons::Ok);
    return false;
}

bool SaveSteps::nameCurrentPage(QPointer<browser::BrowserView> *view, QString *name) {
    *view = m_context.tabs.currentView();
    if (!*view)
        return false;
    warnIfBusy(*view);
    const saving::NameSources sources = nameSources(*view, saving::SaveKind::Page);
    *name = saving::saveName(sources);
    if (saving::correctName(sources.selection).isEmpty() &&
        m_context.dialogs.message(
            kNoticeCaption,
            QStringLiteral("您没有在网页中选中一段文字作为文件名，如果以网页标题为文件名，请按"
                           "【确定】，否则请在网页中选择一段文字，再重新保存!"),
            Dialogs::Buttons::OkCancel) != Dialogs::Answer::Ok)
        return false;
    return !view->isNull();
}

namespace {
common::Task<std::optional<SaveSteps::BatchFile>> ready(std::optional<SaveSteps::BatchFile> file) {
    co_return file;
}
} // namespace

common::Task<>
SaveSteps::saveAllTabs(int firstPosition, QString extension, PrepareFile prepare,
                       std::function<void(const BatchTab &, const QString &)> saved) {
    const PrepareFileLater later = [prepare](const BatchTab &tab, const browser::PageRead &page,
                                             saving::BatchOutcome &outcome) {
        return ready(prepare(tab, page, outcome));
    };
    co_await saveAllTabsLater(firstPosition, extension, later, saved);
}

common::Task<>
SaveSteps::saveAllTabsLater(int firstPosition, QString extension, PrepareFileLater prepare,
                            std::function<void(const BatchTab &, const QString &)> saved) {
    OverwriteChoice overwrite(m_context.dialogs, m_context.savePath());
    saving::BatchOutcome outcome;
    const QList<BatchTab> batch = batchTabs(m_context.tabs, firstPosition);
    BatchRun run(m_context, int(batch.size()));
    for (const BatchTab &tab : batch) {
        const std::optional<browser::PageRead> page = co_await readForBatch(tab, run, outcome);
        if (!page)
            continue;
        const auto step = qScopeGuard([&] { run.pageDone(outcome.done); });
        const std::optional<BatchFile> file = co_await prepare(tab, *page, outcome);
        if (!file)
            continue;
        const QString fileName = overwrite.fileNameFor(file->name, extension);
        if (fileName.isEmpty()) {
            outcome.skipped.append(saving::fitFileName(file->name, extension) + extension);
        } else if (writeOneOfMany(fileName, *file, outcome.failed)) {
            ++outcome.done;
            if (saved)
                saved(tab, fileName);
        }
    }
    reportBatchSave(m_context, outcome);
}

bool SaveSteps::writeOneOfMany(const QString &fileName, const BatchFile &file,
                               QStringList &failures) {
    QString error;
    if (writeSaveFile(fileName, file.content, &error, true, file.encoding))
        return true;
    failures.append(QStringLiteral("%1（%2）").arg(pathOf(fileName), error));
    return false;
}

} // namespace commands
