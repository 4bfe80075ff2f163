// Start-up time and memory of the browser, for bench/browser_bench.sh.
//   browser_bench PROGRAM_FOLDER [--minimal] [--tabs N] [--harvest N]
//   browser_bench PROGRAM_FOLDER --links URL [--hold SECONDS] [--queue N] [--budget MB]
//                 [--switch] [--switch-idle]
//   browser_bench PROGRAM_FOLDER --search SAVE_FOLDER [--words W1,W2,...]
// Prints "loaded_ns=T" (wall clock, ns since the epoch) when the favourites page has loaded;
// with --tabs, then opens N small pages from a local server in new tabs, waits until all
// have loaded and prints "tabs=N seconds=S pss_mb=M processes=P". --minimal shows the page
// in a bare QWebEngineView instead of the browser (the floor for this engine). --links opens
// the page at URL, opens all its links the way OpenAllW does and prints "links: ..." when every
// tab has loaded, then keeps running for --hold seconds (for bench/side_by_side.sh, which reads
// the memory of the process tree meanwhile). --budget sets the memory budget of the tabs (0:
// nothing is let go); --switch switches tabs every 250 ms while the links load and prints how
// long the window took to answer; --switch-idle does the same once the batch has loaded. With
// LUMARO_BENCH_SLOW set, each switch over 100 ms is written to stderr with its monotonic clock
// time ("slow switch: T s MS ms"), to be found in a profile taken with perf -k CLOCK_MONOTONIC.
#include "browser/webengine/webengineview.h"
#include "browser/webengine/webengineviewfactory.h"
#include "common/processmemory.h"
#include "e2e/scriptwait.h"
#include "fulltext/resultspage.h"
#include "shell/commands.h"
#include "shell/loadqueue.h"
#include "shell/mainwindow.h"
#include "shell/rendererlimit.h"
#include "shell/renderingpath.h"
#include "shell/tabmanager.h"
#include "shell/tabmemory.h"
#include "support/fakedialogs.h"
#include "support/localhttpserver.h"
#include "support/pagewait.h"
#include "support/waitfor.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <QWebEngineView>

#include <algorithm>
#include <cstdio>
#include <limits>
#include <sys/resource.h>

namespace {

// Proportional set size, in kB, of this process and everything it started; `own` receives
// this process's share.
long pssOfProcessTree(int *processes, long *own) {
    const common::ProcessTreeMemory memory =
        common::processTreeMemory(QCoreApplication::applicationPid());
    *processes = memory.processes;
    *own = long(memory.rootPssBytes / 1024);
    return long(memory.pssBytes / 1024);
}

// How long the window takes to answer a tab switch while pages load: 250 ms after the last
// answer a tab is chosen; the answer is the time from the moment it was due until the window
// has switched and its event loop is free again (a late timer, the switch itself, the repaint
// it queued). A window blocked for seconds shows as one long answer, not as many.
class SwitchProbe {
public:
    explicit SwitchProbe(shell::TabManager &tabs) : m_tabs(tabs) {
        m_timer.setSingleShot(true);
        m_timer.setTimerType(Qt::PreciseTimer);
        QObject::connect(&m_timer, &QTimer::timeout, [this] { probe(); });
    }
    void start() {
        m_clock.start();
        m_running = true;
        next();
    }
    void stop() {
        m_running = false;
        m_timer.stop();
    }
    QString summary() const {
        if (m_answers.isEmpty())
            return QStringLiteral("no switches");
        QList<double> sorted = m_answers;
        std::sort(sorted.begin(), sorted.end());
        const auto at = [&](double share) {
            return sorted.at(qMin(sorted.size() - 1, int(share * sorted.size())));
        };
        const auto over =
            std::count_if(sorted.begin(), sorted.end(), [](double ms) { return ms > 100; });
        return QStringLiteral("tab switches %1: median %2 ms, 95%: %3 ms, max %4 ms, "
                              "%5 over 100 ms")
            .arg(sorted.size())
            .arg(at(0.5), 0, 'f', 1)
            .arg(at(0.95), 0, 'f', 1)
            .arg(sorted.last(), 0, 'f', 1)
            .arg(over);
    }

private:
    double now() const { return double(m_clock.nsecsElapsed()) / 1e6; }
    void next() {
        m_due = now() + 250;
        m_timer.start(250);
    }
    void probe() {
        const double due = m_due;
        if (m_tabs.tabCount() < 4) {
            next();
            return;
        }
        // The tabs after the favourites and the link page, in turn.
        m_tabs.switchByKeyboard(3 + (m_next++ % (m_tabs.tabCount() - 2)));
        QTimer::singleShot(0, [this, due] {
            m_answers.append(now() - due);
            // The slow ones with their monotonic clock time, to be found in a profile.
            if (std::getenv("LUMARO_BENCH_SLOW") && now() - due > 100)
                std::fprintf(stderr, "slow switch: %.3f s %.0f ms\n",
                             double(m_clock.msecsSinceReference() + qint64(due)) / 1000.0,
                             now() - due);
            if (m_running)
                next();
        });
    }

    shell::TabManager &m_tabs;
    QTimer m_timer;
    QElapsedTimer m_clock;
    double m_due = 0;
    bool m_running = false;
    int m_next = 0;
    QList<double> m_answers;
};

// CPU seconds (user and system) this process has used so far, engine processes not counted.
double ownCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

void printLoaded() {
    std::printf("loaded_ns=%lld\n", QDateTime::currentMSecsSinceEpoch() * 1000000LL);
    std::fflush(stdout);
}

// --search SAVE_FOLDER [--words W1,W2,...]: the results page in the window, with the save folder
// at SAVE_FOLDER (its index in PROGRAM_FOLDER/index, copied there beforehand so that no more
// than a check of the files is needed). For each query (first as it is, then a month and
// newest first) the time from the page being asked for (what the page does half a second
// after the last key) until it has loaded, and until a frame with it has been painted.
void timeResultsPage(shell::MainWindow &window, const QString &saveFolder,
                     const QStringList &args) {
    shell::TabManager &manager = window.tabs();
    window.setSavePath(saveFolder);
    window.startIndexing();
    manager.openInNewTab(QUrl("lumaro:searchsaved"), true, true);
    manager.selectTab(manager.tabCount());
    auto *view = static_cast<browser::WebEngineView *>(manager.currentView());
    QWebEnginePage *page = view->page();
    // The index is ready once the page no longer says a scan is running.
    const auto statusLine = [&] {
        return testing_support::scriptNow(page, "document.querySelector('form.m') ? "
                                                "document.querySelector('form.m').textContent : ''")
            .toString();
    };
    QElapsedTimer waited;
    waited.start();
    QString status;
    while (!(status = statusLine()).contains(QStringLiteral("索引里有")) &&
           waited.elapsed() < 1800000) {
        testing_support::pause(1000);
        view->reload();
        testing_support::waitFor([&] { return !view->isBusy(); }, 30000);
    }
    std::printf("results page: %s (ready after %.1f s)\n", qPrintable(status),
                waited.elapsed() / 1000.0);
    QStringList words = QStringLiteral("天气,中国,发展,问题,工作,经济,社会,文化,历史,教育,"
                                       "技术,国家,时间,生活,人民,世界,科学,方法,学习,计划")
                            .split(u',');
    if (args.contains("--words"))
        words = args.value(args.indexOf("--words") + 1).split(u',');
    QList<double> loadedMs, paintedMs;
    QElapsedTimer clock;
    bool painted = false;
    QObject::connect(page, &QWebEnginePage::titleChanged, page, [&](const QString &title) {
        if (title == QLatin1String("painted")) {
            paintedMs.append(double(clock.nsecsElapsed()) / 1e6);
            painted = true;
        }
    });
    QObject::connect(page, &QWebEnginePage::loadFinished, page, [&](bool) {
        loadedMs.append(double(clock.nsecsElapsed()) / 1e6);
        // Two frames later the page has been painted.
        page->runJavaScript("requestAnimationFrame(() => requestAnimationFrame(() => "
                            "{ document.title = 'painted'; }))");
    });
    for (const QString &suffix : {QString(), QStringLiteral(" date:最近一个月 sort:date")}) {
        loadedMs.clear();
        paintedMs.clear();
        for (const QString &word : std::as_const(words)) {
            painted = false;
            clock.start();
            // As the page's own script asks for it once the typing stops.
            page->runJavaScript(
                QStringLiteral("location.replace('%1')")
                    .arg(fulltext::resultsAddress(QUrl("lumaro:searchsaved"), {word + suffix, 0})
                             .toString(QUrl::FullyEncoded)));
            testing_support::waitFor([&] { return painted; }, 30000);
        }
        const auto at = [](QList<double> values, double share) {
            std::sort(values.begin(), values.end());
            return values.isEmpty()
                       ? 0.0
                       : values.at(qMin(values.size() - 1, int(share * values.size())));
        };
        std::printf("results page%s, %lld queries: loaded median %.1f ms, 95%% %.1f ms; "
                    "painted median %.1f ms, 95%% %.1f ms\n",
                    qPrintable(suffix), static_cast<long long>(paintedMs.size()), at(loadedMs, 0.5),
                    at(loadedMs, 0.95), at(paintedMs, 0.5), at(paintedMs, 0.95));
        std::fflush(stdout);
    }
}

} // namespace

int main(int argc, char *argv[]) {
    const QStringList args = [&] {
        QStringList list;
        for (int i = 1; i < argc; ++i)
            list.append(QString::fromLocal8Bit(argv[i]));
        return list;
    }();
    const bool minimal = args.contains("--minimal");
    const bool save = args.contains("--save");
    const int tabs = args.contains("--tabs") ? args.value(args.indexOf("--tabs") + 1).toInt() : 0;
    // The browser paints as the program does; the bare view keeps the engine's usual path.
    if (minimal)
        QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    else {
        shell::limitRendererProcesses();
        shell::applyRenderingPath(
            shell::chooseRenderingPath(shell::currentRenderingFacts(argc, argv)));
    }
    QApplication app(argc, argv);
    const common::ProgramFolder folder(args.value(0));

    if (minimal) {
        QWebEngineView view;
        view.resize(1000, 700);
        QObject::connect(&view, &QWebEngineView::loadFinished, &app, [&] {
            printLoaded();
            app.quit();
        });
        view.load(folder.favouritesUrl());
        view.show();
        return app.exec();
    }

    browser::WebEngineViewFactory factory(QString{});
    testing_support::FakeDialogs dialogs; // answers Yes/OK to every question
    auto window = std::make_unique<shell::MainWindow>(folder, factory, save ? &dialogs : nullptr);
    window->show();
    shell::TabManager &manager = window->tabs();
    // Waits until every tab after the first two (favourites, link page) has loaded; `loaded`
    // counts those that have.
    const auto waitAllLoaded = [&manager](int timeoutMs, int &loaded) {
        return testing_support::waitFor(
            [&] {
                loaded = 0;
                for (int position = 3; position <= manager.tabCount(); ++position) {
                    browser::BrowserView *view = manager.viewAtPosition(position);
                    if (!view->isBusy() && !view->url().isEmpty())
                        ++loaded;
                }
                return loaded == manager.tabCount() - 2;
            },
            timeoutMs);
    };
    // Opens a page of links in the second tab, shows it and waits for it, as a user would before
    // opening all its links.
    const auto showLinkPage = [&manager](const QUrl &url) {
        manager.openInNewTab(url, true, true);
        manager.selectTab(2);
        testing_support::waitFor(
            [&] {
                return manager.viewAt(1) && !manager.viewAt(1)->isBusy() &&
                       !manager.viewAt(1)->url().isEmpty();
            },
            30000);
    };
    // --queue N: pages loading at once in batches (0: all at once), to compare widths.
    if (args.contains("--queue")) {
        const int width = args.value(args.indexOf("--queue") + 1).toInt();
        manager.loadQueue().setLimit(width > 0 ? width : std::numeric_limits<int>::max());
    }
    if (args.contains("--budget")) {
        browser::RestRules rules = window->tabMemory().rules();
        rules.budgetBytes = args.value(args.indexOf("--budget") + 1).toLongLong() * 1024 * 1024;
        window->tabMemory().setRules(rules);
    }
    // The moment the favourites page has loaded, as the bare view's loadFinished reports it.
    bool started = false;
    QObject::connect(manager.viewAt(0), &browser::BrowserView::documentComplete, &app, [&] {
        if (!started)
            printLoaded();
        started = true;
    });
    if (!testing_support::waitFor([&] { return started; }, 30000))
        return 1;
    if (tabs > 0) {
        testing_support::LocalHttpServer server;
        // Small pages for the memory figures; pages of about 200 KB for saving.
        const QString body = save ? QString("<p>第一段文字，<a href='/x%1.htm'>链接%1</a>，"
                                            "还有&nbsp;一些&lt;实体&gt;。</p>\n")
                                        .repeated(2200)
                                  : QString("一段文字 ").repeated(200);
        for (int i = 0; i < tabs; ++i)
            server.addPage(
                QString("/p%1.htm").arg(i),
                QString("<html><head><title>第%1页</title></head><body><h1 id='h'>第%1页</h1>"
                        "%2</body></html>")
                    .arg(i)
                    .arg(body)
                    .toUtf8());
        QElapsedTimer clock;
        clock.start();
        for (int i = 0; i < tabs; ++i)
            manager.openInNewTab(server.url(QString("/p%1.htm").arg(i)), true, true);
        const bool allLoaded = testing_support::waitFor(
            [&] {
                for (browser::BrowserView *view : manager.viewsInTabOrder()) {
                    if (view->isBusy() || view->url().isEmpty())
                        return false;
                }
                return true;
            },
            60000);
        const double seconds = double(clock.elapsed()) / 1000.0;
        testing_support::pause(500);
        int processes = 0;
        long own = 0;
        const long pss = pssOfProcessTree(&processes, &own);
        std::printf("tabs=%d loaded=%s seconds=%.2f pss_mb=%.0f (program %.0f, engine %.0f) "
                    "processes=%d\n",
                    tabs, allLoaded ? "all" : "NOT-ALL", seconds, double(pss) / 1024.0,
                    double(own) / 1024.0, double(pss - own) / 1024.0, processes);
        if (save) {
            QTemporaryDir saveDir;
            window->setSavePath(saveDir.path());
            qint64 bytes = 0;
            QElapsedTimer phase;
            phase.start();
            for (browser::BrowserView *view : manager.viewsInTabOrder())
                bytes += testing_support::htmlNow(view).value_or(QString()).toUtf8().size();
            const double reading = phase.elapsed() / 1000.0;
            phase.restart();
            window->commands().runMenuEntry("saveallo");
            const double html = phase.elapsed() / 1000.0;
            manager.selectTab(2);
            auto *second = static_cast<browser::WebEngineView *>(manager.currentView());
            testing_support::scriptNow(
                second->page(),
                "window.getSelection().selectAllChildren(document.getElementById('h'))");
            testing_support::waitFor([&] { return !second->selectedText().isEmpty(); }, 5000);
            phase.restart();
            window->commands().runMenuEntry("savealltext");
            const double text = phase.elapsed() / 1000.0;
            std::printf(
                "save: %d pages, %.1f MB of HTML; reading all pages %.2f s; SaveAllW %.2f s; "
                "SaveAllWText %.2f s; files %d; questions %d\n",
                tabs, double(bytes) / 1048576.0, reading, html, text,
                int(QDir(saveDir.path()).entryList(QDir::Files).size()), int(dialogs.shown.size()));
        }
    }
    const int harvest =
        args.contains("--harvest") ? args.value(args.indexOf("--harvest") + 1).toInt() : 0;
    if (harvest > 0) {
        testing_support::LocalHttpServer server;
        QByteArray html = "<html><body>";
        for (int i = 0; i < harvest; ++i) {
            html += "<a href='/h" + QByteArray::number(i) + ".htm'>link " + QByteArray::number(i) +
                    "</a><br>";
            server.addPage(
                QString("/h%1.htm").arg(i),
                QString("<html><head><title>第%1页</title></head><body><p>%2</p></body></html>")
                    .arg(i)
                    .arg(QString("一段文字 ").repeated(300))
                    .toUtf8());
        }
        server.addPage("/links.htm", html + "</body></html>");
        showLinkPage(server.url("/links.htm"));
        QElapsedTimer clock;
        clock.start();
        const double cpuBefore = ownCpuSeconds();
        window->commands().runMenuEntry("openallw");
        const double returned = clock.elapsed() / 1000.0;
        long peak = 0;
        int processes = 0;
        long own = 0;
        // Memory is sampled every second while the pages load: reading smaps_rollup of hundreds of
        // processes costs this process more CPU than its window does.
        QTimer sampler;
        QObject::connect(&sampler, &QTimer::timeout,
                         [&] { peak = qMax(peak, pssOfProcessTree(&processes, &own)); });
        sampler.start(1000);
        int loaded = 0;
        const bool allLoaded = waitAllLoaded(60000, loaded);
        sampler.stop();
        peak = qMax(peak, pssOfProcessTree(&processes, &own));
        if (!allLoaded)
            std::printf("loaded %d, loading %d, waiting %d\n", loaded,
                        manager.loadQueue().loading(), manager.loadQueue().waiting());
        std::printf(
            "harvest: %d links, %d tabs; command returned in %.2f s; all loaded: %s after %.2f s; "
            "peak pss %.0f MB; window process CPU %.2f s\n",
            harvest, manager.tabCount() - 2, returned, allLoaded ? "yes" : "NO",
            clock.elapsed() / 1000.0, double(peak) / 1024.0, ownCpuSeconds() - cpuBefore);
    }
    const QString links = args.contains("--links") ? args.value(args.indexOf("--links") + 1) : "";
    if (!links.isEmpty()) {
        const int hold =
            args.contains("--hold") ? args.value(args.indexOf("--hold") + 1).toInt() : 0;
        showLinkPage(QUrl(links));
        QElapsedTimer clock;
        clock.start();
        SwitchProbe switches(manager);
        if (args.contains("--switch"))
            switches.start();
        window->commands().runMenuEntry("openallw");
        // The command opens its tabs in turns: all of them are there once it has ended.
        testing_support::waitFor([&] { return !window->commands().runner().isBusy(); }, 900000);
        int loaded = 0;
        const bool allLoaded = waitAllLoaded(900000, loaded);
        switches.stop();
        std::printf("links: %d tabs; all loaded: %s after %.2f s\n", manager.tabCount() - 2,
                    allLoaded ? "yes" : "NO", clock.elapsed() / 1000.0);
        if (args.contains("--switch"))
            std::printf("%s\n", qPrintable(switches.summary()));
        std::fflush(stdout); // the script stops the program once the pages have come
        // What the memory keeper has done, a few seconds after the batch.
        QTimer::singleShot(5000, [&] {
            int discarded = 0;
            for (browser::BrowserView *view : manager.viewsInTabOrder())
                discarded += view->lifeState() == browser::LifeState::Discarded;
            int processes = 0;
            long own = 0;
            QElapsedTimer reading;
            reading.start();
            const long pss = pssOfProcessTree(&processes, &own);
            std::printf("reading the memory of %d processes took %.1f ms\n", processes,
                        double(reading.nsecsElapsed()) / 1e6);
            std::printf("5 s later: %d of %d tabs discarded; %d processes, PSS %ld MB (this "
                        "process %ld MB); the keeper last read %.0f MB (budget %.0f MB)\n",
                        discarded, manager.tabCount(), processes, pss / 1024, own / 1024,
                        double(window->tabMemory().lastMemoryReading()) / 1048576.0,
                        double(window->tabMemory().rules().budgetBytes) / 1048576.0);
            std::fflush(stdout);
        });
        std::fflush(stdout);
        // --switch-idle: once the batch has loaded and rested (10 s), 40 switches through the
        // tabs in turn, discarded ones loading again as they are shown.
        if (args.contains("--switch-idle")) {
            testing_support::pause(10000);
            int discarded = 0;
            for (browser::BrowserView *view : manager.viewsInTabOrder())
                discarded += view->lifeState() == browser::LifeState::Discarded;
            SwitchProbe idle(manager);
            idle.start();
            testing_support::pause(40 * 300);
            idle.stop();
            std::printf("after the batch, %d tabs discarded: %s\n", discarded,
                        qPrintable(idle.summary()));
            std::fflush(stdout);
        }
        testing_support::pause(hold * 1000);
    }
    const QString searchFolder =
        args.contains("--search") ? args.value(args.indexOf("--search") + 1) : "";
    if (!searchFolder.isEmpty())
        timeResultsPage(*window, searchFolder, args);
    window.reset();
    return 0;
}
