#pragma once

#include <QPointer>
#include <QString>
#include <QVariant>

class QWebEnginePage;

namespace browser {

// The one place that waits for the engine. Runs a script in the page's isolated world and
// waits for its answer in a local event loop (user input held back, timers still firing),
// for at most `timeoutMs`. Gives an invalid value when the page is gone, its renderer has
// died, a load starts, the time runs out, or another wait is already in progress (waits
// never nest).
class ScriptRunner {
public:
    static QVariant run(QWebEnginePage *page, const QString &script, int timeoutMs = 3000);
    static bool isWaiting() { return s_depth > 0; }

private:
    static int s_depth;
};

// The script text of a resource in :/lumaro/js, with each placeholder replaced by the JSON
// literal of its value (safe for quotes, backslashes, line ends, CJK and "</script>").
QString scriptWithArguments(const QString &resource, const QList<QPair<QString, QString>> &args);

} // namespace browser
