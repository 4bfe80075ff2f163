#pragma once

#include "browser/browserview.h"
#include "commands/commandcontext.h"
#include "commands/serial/chapterstore.h"
#include "common/task.h"
#include "serial/chainstate.h"
#include "serial/chapterfiles.h"

#include <QObject>
#include <QPointer>
#include <QSet>
#include <QTimer>

#include <optional>

namespace browser {
class BrowserView;
}

namespace serial {
struct NextLink;
}

namespace commands {

// Saves a serial chapter by chapter in one tab: waits until the page has loaded, keeps the
// chapter's text (or HTML) in the series folder, finds the link to the next chapter and loads it
// there, with a pause between pages. A chain is one coroutine (chainLoop), owned here: stopping
// it destroys it where it waits. The state file is rewritten after each chapter, so a stopped
// or killed chain resumes where it was.
class SerialChain : public QObject {
    Q_OBJECT
public:
    explicit SerialChain(CommandContext &context, QObject *parent = nullptr);
    ~SerialChain() override;

    // 从当前网页开始连续保存下一章: asks the series' name and the options, then starts with
    // the current page as chapter 1 (or offers to resume when that folder has an open chain).
    // Under the name of a series saved before, it asks whether to add the new chapters after
    // its last one or to save into a new folder; it never removes what was saved.
    void startFromCurrentPage();
    // 从目录页保存全部章节: on a contents page, asks the series' name and the options like
    // startFromCurrentPage, then saves every chapter the page lists, in order, in a tab of its
    // own, leaving out those the series folder holds already.
    common::Task<> startFromContentsPage();
    // The same from a script (lumaro --serial-contents URL --series NAME): the contents page
    // loads in the chain's own tab, no dialog asks, and problems go to s2.
    common::Task<> startFromContentsAddress(QUrl url, QString name);
    // A contents list is read over at most this many pages, each given this long to load.
    static constexpr int kMaxContentsPages = 200;
    static constexpr int kContentsPageMs = 30000;
    // lumaro --serial-start URL --series NAME: starts a chain at `url` (a web page) into the
    // series `name` without a dialog, in a tab of its own, with the dialog's default options;
    // under the name of a series saved before, the new chapters follow its last one. What goes
    // wrong is said in the status bar.
    void startFromAddress(const QUrl &url, const QString &name);
    // lumaro --serial-update [SERIES]: 检查新章节 without a dialog, for the series `name` only
    // (every finished series when empty).
    void updateSeries(const QString &name);
    // 停止连续保存.
    void stop();
    // 继续上次的连续保存: asks for the series folder and goes on with its next chapter, in a tab
    // of its own.
    void resume();
    // 合并成一本书: asks for a series folder and writes NAME.txt and NAME.epub beside it.
    void makeBook();
    // 检查新章节: every series in the save folder whose chain reached its last chapter has that
    // chapter loaded again, in a tab of its own; where a next link has appeared, the new
    // chapters are saved after it. One series after another; 停止 ends the round.
    void checkForNewChapters() { checkSeries(QString()); }
    // "以此链接为下一章" on a link of `view`: a chain of this session that stopped at that page for
    // want of a next link goes on with it, and later pages take the link with the same text.
    void useLinkAsNextChapter(browser::BrowserView *view, const QUrl &url, const QString &text);

    // Starts saving into `folder` from `state` in `view`: with its current page as the next
    // chapter when `currentPageIsNext`, else by loading state.next.
    void run(browser::BrowserView *view, const QString &folder, const serial::ChainState &state,
             bool currentPageIsNext);
    bool isRunning() const { return !m_view.isNull(); }
    const QString &folder() const { return m_folder; }

signals:
    // The chain ended; `reason` is what the status bar shows.
    void finished(const QString &reason);

private:
    // What a chapter's step leaves the chain to do.
    enum class Step { Next, ReadAgain, Ended };
    struct Ending {
        QString reason;
        bool tellUser = false;
    };

    bool refuseWhileRunning();
    // Checks the finished series of the save folder (only the one named `name`, if given).
    void checkSeries(const QString &name);
    // The chain: wait for the page, take a turn, save the chapter, find the next one, wait the
    // delay, load it; until a step ends it.
    common::Task<> chainLoop(bool currentPageIsNext);
    // Loads the next page (when `load`; else waits for the load under way) and waits for it:
    // false when its load failed or it did not come in time (its load is stopped then).
    common::Task<bool> pageArrives(bool load);
    // Saves the page shown now as the next chapter.
    common::Task<Step> saveChapter();
    // The chapter's title from its page (learning the site's part of the titles on the way).
    QString titleOf(const QString &html, int number);
    serial::NextLink nextChapterLink(const QString &html, const QUrl &url);
    // The chapter after this one: the next listed one not saved yet, or the page's next link.
    serial::NextLink nextChapter(const QString &html, const QUrl &url);
    void checkNextSeries();
    // On a series' last chapter loaded again: its next link, if it now has one, carries on.
    Step goOnIfNewChapter(const QString &html, const QUrl &url);
    void chooseAmong(serial::NextLink &next, const QString &html, const QUrl &url);
    // Ends the chain with `reason` in s2 (and a message when `tellUser`).
    Step finish(const QString &reason, bool tellUser = false);
    // The chain's coroutine has gone: its end is told.
    void chainEnded();
    void status(const QString &text);
    common::Task<> saveFromContents(QPointer<browser::BrowserView> chain, QUrl page, QString html,
                                    struct SeriesStart start, bool quiet);
    common::Task<browser::PageRead> loadContentsPage(QPointer<browser::BrowserView> view, QUrl url);

    CommandContext &m_context;
    QPointer<browser::BrowserView> m_view;
    QString m_folder;
    QPointer<browser::BrowserView> m_lastView; // the view of the chain that ended last
    QUrl m_lastPage;                           // the page it ended on
    serial::ChainState m_state;
    QList<QUrl> m_list; // the contents page's chapters, when the state says it goes by them
    ChapterStore m_store;
    std::optional<common::Task<>> m_loop; // the running chain
    std::optional<Ending> m_ending;       // how it ended, told once its coroutine has gone
    QStringList m_toCheck;                // the series folders 检查新章节 has still to look at
    bool m_checking = false;
    bool m_peeking = false; // the page to come is a series' last chapter, loaded again
    QPointer<browser::BrowserView> m_checkView;
};

} // namespace commands
