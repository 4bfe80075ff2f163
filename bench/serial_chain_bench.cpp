// The serial chain with the real engine: 200 chapters of 20 KB from a local server, no pause
// between pages. Prints the time taken and the memory (PSS of the program and its engine
// processes) at chapters 20 and 200.
//   QT_QPA_PLATFORM=offscreen serial_chain_bench PROGRAM_FOLDER
#include "browser/webengine/webengineviewfactory.h"
#include "commands/serial/serialchain.h"
#include "serial/chainstate.h"
#include "shell/mainwindow.h"
#include "shell/tabmanager.h"
#include "support/fakedialogs.h"
#include "support/localhttpserver.h"
#include "support/waitfor.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>

namespace {

constexpr int kChapters = 200;

// PSS in kB of this process and its descendants (the engine's processes).
long pssOfProcessTree() {
    QHash<int, int> parentOf;
    for (const QString &pid : QDir("/proc").entryList({"[0-9]*"}, QDir::Dirs)) {
        QFile stat("/proc/" + pid + "/stat");
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        const QByteArray text = stat.readAll();
        const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
        if (fields.size() > 1)
            parentOf.insert(pid.toInt(), fields[1].toInt());
    }
    const int self = int(QCoreApplication::applicationPid());
    long total = 0;
    for (auto it = parentOf.constBegin(); it != parentOf.constEnd(); ++it) {
        int p = it.key();
        while (p > 1 && p != self)
            p = parentOf.value(p, 0);
        QFile rollup(QString("/proc/%1/smaps_rollup").arg(it.key()));
        if (p != self || !rollup.open(QIODevice::ReadOnly))
            continue;
        for (const QByteArray &line : rollup.readAll().split('\n')) {
            if (line.startsWith("Pss:"))
                total += line.mid(4).trimmed().split(' ').value(0).toLong();
        }
    }
    return total;
}

QByteArray chapterPage(int chapter) {
    QString text;
    while (text.toUtf8().size() < 20 * 1024)
        text +=
            QStringLiteral("<p>第%1章：雨一直下，街灯在水里碎成一片一片的光。</p>\n").arg(chapter);
    const QString next =
        chapter < kChapters ? QStringLiteral("/s/%1.html").arg(chapter + 1) : QStringLiteral("/s/");
    return QStringLiteral("<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>第%1章</title>"
                          "</head><body><div id=\"menu\"><a href=\"/\">首页</a></div><div "
                          "id=\"content\">%2</div><a href=\"%3\">下一章</a></body></html>")
        .arg(chapter)
        .arg(text, next)
        .toUtf8();
}

} // namespace

int main(int argc, char *argv[]) {
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fputs("usage: serial_chain_bench PROGRAM_FOLDER\n", stderr);
        return 2;
    }
    testing_support::LocalHttpServer server;
    for (int chapter = 1; chapter <= kChapters; ++chapter)
        server.addPage(QStringLiteral("/s/%1.html").arg(chapter), chapterPage(chapter));
    QTemporaryDir saveDir;
    testing_support::FakeDialogs dialogs;
    browser::WebEngineViewFactory factory{QString()};
    auto window = std::make_unique<shell::MainWindow>(
        common::ProgramFolder(QString::fromLocal8Bit(argv[1])), factory, &dialogs);
    window->resize(1000, 700);
    window->show();
    shell::TabManager &tabs = window->tabs();
    testing_support::waitFor([&] { return !tabs.currentView()->isBusy(); });

    commands::SerialChain chain(window->context());
    serial::ChainState state;
    state.title = QStringLiteral("bench");
    state.next = server.url("/s/1.html");
    state.delayMs = 0;
    const QString series = QDir(saveDir.path()).filePath("bench");
    QDir().mkpath(series);
    QElapsedTimer clock;
    clock.start();
    chain.run(tabs.currentView(), series, state, false);
    const auto reached = [&](int count) {
        return testing_support::waitFor(
            [&] {
                const auto s = serial::readChainState(series);
                return s && s->count >= count;
            },
            600000);
    };
    if (!reached(20))
        return 1;
    const long pss20 = pssOfProcessTree();
    const double seconds20 = clock.elapsed() / 1000.0;
    if (!reached(kChapters))
        return 1;
    const double seconds = clock.elapsed() / 1000.0;
    const long pss200 = pssOfProcessTree();
    std::printf("chapters=%d seconds=%.1f seconds_at_20=%.1f pss_mb_at_20=%.1f "
                "pss_mb_at_200=%.1f growth_mb=%.1f\n",
                kChapters, seconds, seconds20, pss20 / 1024.0, pss200 / 1024.0,
                (pss200 - pss20) / 1024.0);
    window.reset();
    return 0;
}
