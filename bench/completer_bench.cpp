// The window's share of the list under the address box: for each key typed, matching the
// favourites page and drawing the rows (the history's answer comes from its own thread and is
// not waited for here). A favourites page of N entries (10,000 by default) written from the
// program's own link.htm. Usage: completer_bench LINK_HTM [N]
#include "common/ansifile.h"
#include "links/favouriteslinks.h"
#include "shell/addresscompleter.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMainWindow>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

int main(int argc, char **argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc < 2)
        return std::fprintf(stderr, "usage: completer_bench LINK_HTM [N]\n"), 2;
    const int count = argc > 2 ? std::atoi(argv[2]) : 10000;
    const common::TextFileContent start = common::readTextFile(QString::fromLocal8Bit(argv[1]));
    QList<links::favourites::Entry> entries;
    for (int i = 0; i < count; ++i)
        entries.append(
            {QStringLiteral("https://site%1.example.cn/page/%2.html").arg(i % 700).arg(i),
             QStringLiteral("收藏 第%1个 天气 news %1").arg(i)});
    int key = 0;
    const auto added = links::favourites::addEntries(
        start.text, entries, [&] { return QStringLiteral("k%1").arg(++key); });
    if (!added)
        return std::fprintf(stderr, "cannot add entries to %s\n", argv[1]), 2;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("link.htm"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(common::encodeText(added->file, start.encoding)) < 0)
        return 2;
    file.close();

    QMainWindow window;
    auto *box = new QComboBox(&window);
    box->setEditable(true);
    window.setCentralWidget(box);
    window.resize(1000, 700);
    window.show();
    shell::AddressCompleter completer(*box, window);
    completer.setFavouritesPath(path);
    QApplication::setActiveWindow(&window);
    box->lineEdit()->setFocus();
    if (!box->lineEdit()->hasFocus())
        return std::fprintf(stderr, "the box has no focus: the list would not be shown\n"), 2;
    const QStringList typing{"s",    "si", "sit",  "site",  "site1",   "site12", "天",
                             "天气", "第", "第12", "第123", "news 天", "x",      "xy"};
    std::vector<double> ms;
    QElapsedTimer clock;
    clock.start();
    Q_EMIT box->lineEdit()->textEdited(QStringLiteral("a")); // the first key has it read
    std::printf("the first key, the favourites page of %d entries asked for: %.1f ms\n", count,
                double(clock.nsecsElapsed()) / 1e6);
    while (completer.rows().size() < 2) // read on another thread, then the rows drawn again
        app.processEvents(QEventLoop::WaitForMoreEvents);
    std::printf("its entries listed after %.1f ms\n", double(clock.nsecsElapsed()) / 1e6);
    for (int round = 0; round < 5; ++round) {
        for (const QString &text : typing) {
            clock.start();
            Q_EMIT box->lineEdit()->textEdited(text);
            app.processEvents(); // the rows drawn
            ms.push_back(double(clock.nsecsElapsed()) / 1e6);
        }
    }
    if (!completer.isShown())
        return std::fprintf(stderr, "the list was not shown\n"), 2;
    std::sort(ms.begin(), ms.end());
    std::printf("one key typed, the window's thread: median %.2f ms, 95%% %.2f ms, max %.2f ms\n",
                ms[ms.size() / 2], ms[ms.size() * 95 / 100], ms.back());
    return 0;
}
