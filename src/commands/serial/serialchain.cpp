#include "serialchain.h"

#include "browser/browserview.h"
#include "browser/pagereads.h"
#include "commands/commandrunner.h"
#include "common/ansifile.h"
#include "serial/book.h"
#include "serial/nextlink.h"
#include "text/htmltotext.h"

#include <QDateTime>
#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>

namespace commands {

namespace {

const QString kCaption = QStringLiteral("连续保存");
const QString kCrLf = QStringLiteral("\r\n");
constexpr int kLoadLimitMs = 60000;
constexpr int kMostFailedLoads = 3;
constexpr int kRereadMs = 300;

// The chapter's text: Readability's article when the page has one, else the whole page.
QString chapterText(const QString &articleJson, const QString &innerHtml) {
    const QJsonObject article = QJsonDocument::fromJson(articleJson.toUtf8()).object();
    const QString content = article.value(QStringLiteral("content")).toString();
    const QString html = content.trimmed().isEmpty() ? innerHtml : content;
    QString text = text::deleteHtmlTag(QStringLiteral("<HTML>") + html + QStringLiteral("</HTML>"),
                                       false, true);
    // Blank lines the markup leaves between paragraphs are dropped.
    QStringList lines;
    for (const QString &line : text.replace(kCrLf, QStringLiteral("\n")).split(QLatin1Char('\n'))) {
        if (!line.trimmed().isEmpty())
            lines.append(line.trimmed());
    }
    return lines.join(kCrLf);
}

// Parses "秒数 章数 格式", e.g. "1 0 文本" or "0.5 30 html".
std::optional<serial::ChainState> parseOptions(const QString &text) {
    const QStringList parts = text.simplified().split(QLatin1Char(' '));
    if (parts.size() != 3)
        return std::nullopt;
    bool secondsOk = false;
    bool countOk = false;
    const double seconds = parts.at(0).toDouble(&secondsOk);
    const int count = parts.at(1).toInt(&countOk);
    const QString format = parts.at(2).toLower();
    if (!secondsOk || seconds < 0 || seconds > 3600 || !countOk || count < 0)
        return std::nullopt;
    serial::ChainState state;
    state.delayMs = int(seconds * 1000);
    state.limit = count;
    if (format == QLatin1String("html"))
        state.format = serial::ChapterFormat::Html;
    else if (format != QStringLiteral("文本") && format != QLatin1String("text"))
        return std::nullopt;
    return state;
}

// Removes other files of chapter `number` (saved before under another title).
void removeOtherFiles(QDir dir, int number, const QString &keep) {
    const QString prefix = QStringLiteral("%1").arg(number, 4, 10, QLatin1Char('0'));
    for (const QString &name : dir.entryList({prefix + QLatin1Char('*')}, QDir::Files)) {
        if (name != keep && serial::chapterNumberOf(name) == number)
            dir.remove(name);
    }
}

} // namespace

SerialChain::SerialChain(CommandContext &context, QObject *parent)
    : QObject(parent), m_context(context) {
    m_delay.setSingleShot(true);
    m_loadLimit.setSingleShot(true);
    connect(&m_delay, &QTimer::timeout, this, &SerialChain::loadNext);
    connect(&m_loadLimit, &QTimer::timeout, this, &SerialChain::loadTimedOut);
}

bool SerialChain::refuseWhileRunning() {
    if (!isRunning())
        return false;
    m_context.dialogs.message(kCaption, QStringLiteral("连续保存正在进行，请先停止连续保存。"),
                              Dialogs::Buttons::Ok);
    return true;
}

void SerialChain::startFromCurrentPage() {
    browser::BrowserView *view = m_context.tabs.currentView();
    if (!view || refuseWhileRunning())
        return;
    const std::optional<QString> name = m_context.dialogs.inputText(
        kCaption, QStringLiteral("系列的名字（在默认保存路径下以此建文件夹）："),
        serial::seriesFolderName(view->title()));
    if (!name)
        return;
    const std::optional<QString> optionText = m_context.dialogs.inputText(
        kCaption,
        QStringLiteral("每两章之间等待的秒数、最多保存的章数（0为不限）、保存格式（文本或HTML），"
                       "用空格分开："),
        QStringLiteral("1 0 文本"));
    if (!optionText)
        return;
    std::optional<serial::ChainState> state = parseOptions(*optionText);
    if (!state) {
        m_context.dialogs.message(kCaption, QStringLiteral("设置的格式不对，例如：1 0 文本"),
                                  Dialogs::Buttons::Ok);
        return;
    }
    const QString folder = QDir(m_context.savePath()).filePath(serial::seriesFolderName(*name));
    if (!QDir().mkpath(folder)) {
        m_context.dialogs.message(kCaption, QStringLiteral("无法创建文件夹：") + folder,
                                  Dialogs::Buttons::Ok);
        return;
    }
    if (const std::optional<serial::ChainState> open = serial::readChainState(folder);
        open && !open->finished) {
        const auto answer = m_context.dialogs.message(
            kCaption, QStringLiteral("该文件夹里有没有完成的连续保存，继续上次的连续保存吗？"),
            Dialogs::Buttons::YesNo);
        if (answer == Dialogs::Answer::Yes) {
            run(view, folder, *open, false);
            return;
        }
    }
    state->title = serial::seriesFolderName(*name);
    state->next = view->url();
    run(view, folder, *state, true);
}

void SerialChain::resume() {
    browser::BrowserView *view = m_context.tabs.currentView();
    if (!view || refuseWhileRunning())
        return;
    const QString folder = m_context.dialogs.chooseFolder(
        QStringLiteral("请选择要继续连续保存的系列文件夹"), m_context.savePath());
    if (folder.isEmpty())
        return;
    const std::optional<serial::ChainState> state = serial::readChainState(folder);
    if (!state) {
        m_context.dialogs.message(kCaption, QStringLiteral("该文件夹里没有可以继续的连续保存。"),
                                  Dialogs::Buttons::Ok);
        return;
    }
    if (state->finished) {
        m_context.dialogs.message(kCaption, QStringLiteral("该系列已经保存到最后一章了。"),
                                  Dialogs::Buttons::Ok);
        return;
    }
    run(view, folder, *state, false);
}

void SerialChain::run(browser::BrowserView *view, const QString &folder,
                      const serial::ChainState &state, bool currentPageIsNext) {
    ++m_runId;
    m_view = view;
    m_folder = folder;
    m_state = state;
    m_failedLoads = 0;
    // Chapters past the state's count were saved by a chain killed before it noted them:
    // they are saved again, under the same numbers.
    m_index.clear();
    m_seen.clear();
    const common::TextFileContent index =
        common::readTextFile(QDir(folder).filePath(serial::kIndexFileName));
    for (const serial::IndexEntry &entry : serial::parseIndex(index.text)) {
        if (entry.number <= m_state.count) {
            m_index.append(entry);
            m_seen.insert(serial::chainKey(entry.address));
        }
    }
    m_loadConnection =
        connect(view, &browser::BrowserView::documentComplete, this, &SerialChain::pageLoaded);
    if (!currentPageIsNext) {
        loadNext();
    } else if (view->isBusy()) {
        m_waitingForLoad = true;
        m_loadLimit.start(kLoadLimitMs);
    } else {
        // Read the page from the event loop, never from inside the caller's handler.
        saveChapterLater(0);
    }
}

void SerialChain::stop() {
    if (isRunning())
        finish(QStringLiteral("连续保存已停止，已保存%1章").arg(m_state.count));
}

void SerialChain::loadNext() {
    if (!m_view)
        return finish(QStringLiteral("连续保存的网页已经关闭"));
    m_waitingForLoad = true;
    m_loadLimit.start(kLoadLimitMs);
    m_view->navigate(m_state.next);
}

void SerialChain::pageLoaded(const QUrl &, bool ok) {
    if (!m_waitingForLoad)
        return;
    m_waitingForLoad = false;
    m_loadLimit.stop();
    if (ok) {
        m_failedLoads = 0;
        // The engine is inside its own signal here: read the page a moment later.
        saveChapterLater(0);
        return;
    }
    if (++m_failedLoads >= kMostFailedLoads)
        return finish(QStringLiteral("网页三次打开失败，连续保存停止：") + m_state.next.toString(),
                      true);
    m_delay.start(m_state.delayMs);
}

void SerialChain::loadTimedOut() {
    if (m_view)
        m_view->stop();
    m_waitingForLoad = true;
    pageLoaded(QUrl(), false);
}

void SerialChain::saveChapterLater(int delayMs) {
    QTimer::singleShot(delayMs, this, [this, run = m_runId] {
        if (run != m_runId)
            return; // that chain has ended
        // A step of the chain is a command like any other: it waits for the one at work.
        if (m_context.runner)
            m_context.runner->enqueue(QStringLiteral("连续保存"), [this] { return saveChapter(); });
        else
            saveChapter().start();
    });
}

common::Task<> SerialChain::saveChapter() {
    const int run = m_runId;
    if (!m_view)
        co_return finish(QStringLiteral("连续保存的网页已经关闭"));
    const QUrl url = m_view->url();
    const browser::PageRead read = co_await browser::readPage(m_view);
    if (run != m_runId)
        co_return; // stopped meanwhile
    if (!m_view)
        co_return finish(QStringLiteral("连续保存的网页已经关闭"));
    const QString html = read.ok() ? read.html : QString();
    if (html.isEmpty()) {
        // No answer from the page (a script at work, a renderer gone). Saving nothing would
        // end the chain as if at its last page.
        if (++m_failedLoads >= kMostFailedLoads)
            co_return finish(QStringLiteral("无法读取网页，连续保存停止：") + url.toString(), true);
        saveChapterLater(kRereadMs);
        co_return;
    }
    const bool asHtml = m_state.format == serial::ChapterFormat::Html;
    // (A co_await inside ?: is miscompiled by g++ 12: its temporaries are destroyed twice.)
    QString article;
    if (!asHtml)
        article = co_await browser::readArticleJson(m_view);
    if (run != m_runId)
        co_return;
    if (!m_view)
        co_return finish(QStringLiteral("连续保存的网页已经关闭"));
    m_failedLoads = 0;
    const QString title = m_view->title().trimmed();
    const int number = m_state.count + 1;
    const QDir dir(m_folder);
    const QString fileName = serial::chapterFileName(
        number, title, asHtml ? QStringLiteral(".htm") : QStringLiteral(".txt"));
    QString error;
    const bool written =
        asHtml ? common::writeTextFile(dir.filePath(fileName),
                                       QStringLiteral("<html>") + html + QStringLiteral("</html>"),
                                       common::FileEncoding::Utf8WithBom, &error)
               : common::writeTextFile(dir.filePath(fileName),
                                       title + kCrLf + kCrLf + chapterText(article, html) + kCrLf,
                                       common::FileEncoding::Gb18030, &error);
    if (!written)
        co_return finish(QStringLiteral("无法保存第%1章：%2").arg(number).arg(error), true);
    removeOtherFiles(dir, number, fileName);

    m_index.append({number, title, url, QDateTime::currentDateTime()});
    if (!common::writeTextFile(dir.filePath(serial::kIndexFileName), serial::formatIndex(m_index),
                               common::FileEncoding::Gb18030, &error))
        co_return finish(QStringLiteral("无法写入目录.txt：") + error, true);
    m_seen.insert(serial::chainKey(url));
    m_seen.insert(serial::chainKey(m_state.next));

    serial::NextLink next = serial::findNextLink(html, url, m_seen);
    if (!m_state.linkText.isEmpty()) {
        if (const serial::NextLink byText =
                serial::findLinkByText(html, url, m_state.linkText, m_seen);
            byText.outcome != serial::NextLinkOutcome::None)
            next = byText;
    }
    if (next.outcome == serial::NextLinkOutcome::Several)
        chooseAmong(next, html, url);
    m_state.count = number;
    m_state.finished = next.outcome != serial::NextLinkOutcome::Found;
    m_state.next = m_state.finished ? QUrl() : next.url;
    if (!serial::writeChainState(m_folder, m_state, &error))
        co_return finish(QStringLiteral("无法写入连续保存的状态：") + error, true);
    status(QStringLiteral("已连续保存第%1章：%2").arg(number).arg(title));

    switch (next.outcome) {
    case serial::NextLinkOutcome::Found:
        break;
    case serial::NextLinkOutcome::Several:
        co_return finish(
            QStringLiteral("网页上有几个下一章链接，连续保存停止，已保存%1章").arg(number), true);
    case serial::NextLinkOutcome::None:
    case serial::NextLinkOutcome::BackToIndex:
    case serial::NextLinkOutcome::AlreadySeen:
        co_return finish(QStringLiteral("已保存到最后一章，共%1章").arg(number));
    }
    if (m_state.limit > 0 && number >= m_state.limit)
        co_return finish(QStringLiteral("已保存设定的%1章").arg(number));
    m_delay.start(m_state.delayMs);
}

void SerialChain::chooseAmong(serial::NextLink &next, const QString &html, const QUrl &url) {
    if (m_state.choice == 0) {
        QString prompt = QStringLiteral(
            "网页上有几个下一章链接，请输入下一章的序号（以后的章节取同一位置的链接）：\n");
        for (int i = 0; i < next.candidates.size(); ++i)
            prompt += QStringLiteral("%1. %2\n").arg(i + 1).arg(next.candidates.at(i).toString());
        const std::optional<QString> answer =
            m_context.dialogs.inputText(kCaption, prompt, QStringLiteral("1"));
        bool ok = false;
        const int chosen = answer ? answer->trimmed().toInt(&ok) : 0;
        if (!ok || chosen < 1 || chosen > next.candidates.size())
            return;
        m_state.choice = chosen;
    }
    if (m_state.choice > next.candidates.size())
        return;
    next = serial::judgeNextLink(next.candidates.at(m_state.choice - 1), html, url, m_seen);
}

void SerialChain::finish(const QString &reason, bool tellUser) {
    ++m_runId;
    m_delay.stop();
    m_loadLimit.stop();
    m_waitingForLoad = false;
    disconnect(m_loadConnection);
    m_lastView = m_view;
    m_lastPage = m_view ? m_view->url() : QUrl();
    m_view = nullptr;
    status(reason);
    if (tellUser)
        m_context.dialogs.message(kCaption, reason, Dialogs::Buttons::Ok);
    emit finished(reason);
}

void SerialChain::status(const QString &text) {
    m_context.panels.setPanelText(QStringLiteral("s2"), text);
}

void SerialChain::useLinkAsNextChapter(browser::BrowserView *view, const QUrl &url,
                                       const QString &text) {
    if (refuseWhileRunning())
        return;
    std::optional<serial::ChainState> state = serial::readChainState(m_folder);
    if (!view || view != m_lastView || view->url() != m_lastPage || !state || !state->finished) {
        m_context.dialogs.message(
            kCaption,
            QStringLiteral("只有在连续保存因找不到下一章而停下的网页上，才能指定下一章链接。"),
            Dialogs::Buttons::Ok);
        return;
    }
    const common::TextFileContent index =
        common::readTextFile(QDir(m_folder).filePath(serial::kIndexFileName));
    for (const serial::IndexEntry &entry : serial::parseIndex(index.text)) {
        if (serial::chainKey(entry.address) == serial::chainKey(url)) {
            m_context.dialogs.message(kCaption, QStringLiteral("该链接的网页已经保存过了。"),
                                      Dialogs::Buttons::Ok);
            return;
        }
    }
    state->finished = false;
    state->next = url;
    state->linkText = text.simplified();
    run(view, m_folder, *state, false);
}

void SerialChain::makeBook() {
    const QString folder = m_context.dialogs.chooseFolder(
        QStringLiteral("请选择要合并成一本书的系列文件夹"), m_context.savePath());
    if (folder.isEmpty())
        return;
    QString error;
    const std::optional<serial::Book> book = serial::readSeriesFolder(folder, &error);
    const QDir dir(folder);
    const QString path =
        QFileInfo(dir.absolutePath()).absolutePath() + QLatin1Char('/') + dir.dirName();
    if (!book || !serial::writeBook(*book, path, &error)) {
        m_context.dialogs.message(kCaption, error, Dialogs::Buttons::Ok);
        return;
    }
    m_context.dialogs.message(kCaption,
                              QStringLiteral("已合并成一本书（%1章）：\n%2.txt\n%2.epub")
                                  .arg(book->chapters.size())
                                  .arg(QDir::toNativeSeparators(path)),
                              Dialogs::Buttons::Ok);
}

} // namespace commands
