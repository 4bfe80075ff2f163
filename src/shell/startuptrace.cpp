#include "startuptrace.h"

#include "tabmanager.h"

#include "browser/browserview.h"

#include <QByteArray>
#include <QFile>
#include <QSet>
#include <QtGlobal>

#include <ctime>
#include <memory>
#include <unistd.h>

namespace shell::startup {

namespace {

constexpr int kPages = 8; // the first tabs whose pages are marked

// Milliseconds since the system started, on the clock /proc/self/stat counts in.
double bootMs() {
    timespec now{};
    clock_gettime(CLOCK_BOOTTIME, &now);
    return double(now.tv_sec) * 1000.0 + double(now.tv_nsec) / 1e6;
}

// When this process started, in milliseconds since the system started; -1 when unknown.
double processStartMs() {
    QFile stat(QStringLiteral("/proc/self/stat"));
    if (!stat.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray line = stat.readAll();
    // The fields after the command name, which may hold spaces, start after its ")".
    const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
    constexpr int kStartTime = 19; // field 22 of the line, the 20th after the name
    if (fields.size() <= kStartTime)
        return -1;
    return fields[kStartTime].toDouble() * 1000.0 / double(sysconf(_SC_CLK_TCK));
}

} // namespace

void mark(const QByteArray &stage) {
    static const QByteArray path = qgetenv("LUMARO_STARTUP_TRACE");
    if (path.isEmpty())
        return;
    static const double start = processStartMs();
    QFile file(QString::fromLocal8Bit(path));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        return;
    const double since = start < 0 ? 0 : bootMs() - start;
    file.write(QByteArray::number(since, 'f', 1) + '\t' + stage + '\n');
}

void followFirstPages(TabManager &tabs) {
    if (!qEnvironmentVariableIsSet("LUMARO_STARTUP_TRACE"))
        return;
    auto watched = std::make_shared<QSet<browser::BrowserView *>>();
    const auto watch = [&tabs, watched] {
        for (int position = 1; position <= qMin(tabs.tabCount(), kPages); ++position) {
            browser::BrowserView *view = tabs.viewAtPosition(position);
            if (!view || watched->contains(view))
                continue;
            watched->insert(view);
            QObject::connect(
                view, &browser::BrowserView::documentComplete, view,
                [](const QUrl &url, bool) { mark("page loaded " + url.toEncoded()); },
                Qt::SingleShotConnection);
        }
    };
    watch();
    QObject::connect(&tabs, &TabManager::tabsChanged, &tabs, watch);
}

} // namespace shell::startup
