#include "wholepagesaver.h"

#include "browser/pagereads.h"
#include "common/ansifile.h"
#include "saving/batchoutcome.h"
#include "saving/filenaming.h"
#include "saving/resourcegathering.h"

#include <QDateTime>

namespace commands {

namespace {

// The longest a page's files are waited for, all together; what has not come by then is left
// as links.
constexpr int kGatheringMs = 180000;
const QString kExtension = QStringLiteral(".html");

// Every file `capture` uses, fetched through its view.
common::Answer<saving::ResourceTable> gather(QPointer<browser::BrowserView> view,
                                             const saving::WholePageCapture &capture,
                                             std::shared_ptr<saving::ResourceCache> cache) {
    auto handle = std::make_shared<std::shared_ptr<saving::ResourceGathering>>();
    return common::Answer<saving::ResourceTable>(
        [view, capture, cache, handle](std::function<void(saving::ResourceTable)> reply) {
            const auto fetch = [view](const QUrl &url,
                                      std::function<void(saving::FetchedResource)> answer) {
                if (view) {
                    view->fetchResource(url, std::move(answer));
                    return;
                }
                QTimer::singleShot(0, QCoreApplication::instance(), [answer] {
                    answer({false, {}, {}, false, QStringLiteral("网页在保存前被关闭了")});
                });
            };
            *handle = saving::ResourceGathering::start(
                capture, fetch, cache, [handle, reply](saving::ResourceTable table) {
                    reply(std::move(table));
                    handle->reset();
                });
        },
        saving::ResourceTable(), kGatheringMs, saving::ResourceTable());
}

QString savedMessage(const QString &path, const saving::WholePageGaps &gaps) {
    const QString summary = saving::gapsSummary(gaps);
    return QStringLiteral("该网页已经保存到") + path +
           (summary.isEmpty() ? QString() : QStringLiteral("（%1）").arg(summary));
}

} // namespace

common::Task<std::optional<saving::WholePageFile>>
WholePageSaver::makeFile(QPointer<browser::BrowserView> view,
                         std::shared_ptr<saving::ResourceCache> cache) {
    const int stops = common::waitsStoppedSoFar();
    const QString json = co_await browser::readWholePage(view.data());
    std::optional<saving::WholePageCapture> capture = saving::parseWholePageCapture(json);
    if (!capture || !view || common::waitsStoppedSoFar() != stops)
        co_return std::nullopt;
    const saving::ResourceTable table = co_await gather(view, *capture, cache);
    if (common::waitsStoppedSoFar() != stops)
        co_return std::nullopt;
    co_return saving::writeWholePage(*capture, table, QDateTime::currentDateTime());
}

common::Task<std::optional<saving::WholePageFile>>
WholePageSaver::makeShownFile(QPointer<browser::BrowserView> view) {
    CommandContext &context = m_steps.context();
    context.panels.setPanelText(Panel::Message,
                                QStringLiteral("正在保存完整网页：") + view->url().toString());
    std::optional<saving::WholePageFile> file = co_await makeFile(view, nullptr);
    if (!file) {
        context.panels.setPanelText(Panel::Message, QString());
        context.dialogs.message(kNoticeCaption, kPageNotSaved, Dialogs::Buttons::Ok);
    }
    co_return file;
}

common::Task<> WholePageSaver::saveWhole() {
    CommandContext &context = m_steps.context();
    QPointer<browser::BrowserView> view;
    QString name;
    if (!m_steps.nameCurrentPage(&view, &name))
        co_return;
    const QUrl url = view->url();
    const std::optional<saving::WholePageFile> file = co_await makeShownFile(view);
    if (!file)
        co_return;
    const QString fileName = m_steps.confirmOverwrite(name, kExtension);
    if (fileName.isEmpty())
        co_return;
    if (m_steps.writeSaveFile(fileName, file->html, nullptr, false, common::FileEncoding::Utf8)) {
        context.panels.setPanelText(Panel::Message,
                                    savedMessage(m_steps.pathOf(fileName), file->gaps));
        if (context.noteSaved)
            context.noteSaved(url, fileName);
    }
}

common::Task<> WholePageSaver::saveWholeTo(QPointer<browser::BrowserView> view, QString path) {
    CommandContext &context = m_steps.context();
    if (!view)
        co_return;
    const std::optional<saving::WholePageFile> file = co_await makeShownFile(view);
    if (!file)
        co_return;
    QString error;
    if (!common::writeTextFile(path, file->html + QStringLiteral("\r\n"),
                               common::FileEncoding::Utf8, &error)) {
        context.dialogs.message(kNoticeCaption,
                                QStringLiteral("无法保存文件 %1：%2").arg(path, error),
                                Dialogs::Buttons::Ok);
        co_return;
    }
    context.panels.setPanelText(Panel::Message, savedMessage(path, file->gaps));
    if (context.noteWritten)
        context.noteWritten(path);
}

common::Task<> WholePageSaver::saveAllWhole() {
    CommandContext &context = m_steps.context();
    context.clipboard.clear();
    auto cache = std::make_shared<saving::ResourceCache>();
    const SaveSteps::PrepareFileLater prepare = [this, cache](const BatchTab &tab,
                                                              const browser::PageRead &,
                                                              saving::BatchOutcome &outcome) {
        return prepareBatchFile(tab, outcome, cache);
    };
    co_await m_steps.saveAllTabsLater(2, kExtension, prepare,
                                      [&context](const BatchTab &tab, const QString &fileName) {
                                          if (context.noteSaved && tab.view)
                                              context.noteSaved(tab.view->url(), fileName);
                                      });
}

common::Task<std::optional<SaveSteps::BatchFile>>
WholePageSaver::prepareBatchFile(BatchTab tab, saving::BatchOutcome &outcome,
                                 std::shared_ptr<saving::ResourceCache> cache) {
    saving::NameSources sources = m_steps.nameSources(tab.view, saving::SaveKind::PageInBatch);
    sources.viewNumber = tab.viewNumber;
    const QString name = saving::saveName(sources);
    const int stops = common::waitsStoppedSoFar();
    const std::optional<saving::WholePageFile> file = co_await makeFile(tab.view, cache);
    if (!file) {
        if (common::waitsStoppedSoFar() != stops) {
            outcome.stopped = true;
            outcome.notSaved.append(tab.address);
        } else {
            outcome.failed.append(
                QStringLiteral("%1（%2）")
                    .arg(tab.address, tab.view ? kPageNotSaved : kClosedBeforeSaved));
        }
        co_return std::nullopt;
    }
    if (file->gaps.any())
        outcome.incomplete.append(tab.address + QStringLiteral("：") +
                                  saving::gapsSummary(file->gaps));
    co_return SaveSteps::BatchFile{name, file->html, common::FileEncoding::Utf8};
}

} // namespace commands
