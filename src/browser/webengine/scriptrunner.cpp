#include "scriptrunner.h"

#include <QEventLoop>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineScript>

namespace browser {

int ScriptRunner::s_depth = 0;

QVariant ScriptRunner::run(QWebEnginePage *page, const QString &script, int timeoutMs) {
    if (!page || s_depth > 0)
        return {};
    ++s_depth;
    QPointer<QWebEnginePage> guarded(page);
    QEventLoop loop;
    // Shared with the callback, which may come after this function has returned.
    auto result = std::make_shared<QVariant>();
    auto done = std::make_shared<bool>(false);
    QPointer<QEventLoop> loopGuard(&loop);
    page->runJavaScript(script, QWebEngineScript::ApplicationWorld,
                        [result, done, loopGuard](const QVariant &value) {
                            *result = value;
                            *done = true;
                            if (loopGuard)
                                loopGuard->quit();
                        });
    if (!*done) {
        QTimer timer;
        timer.setSingleShot(true);
        QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
        QObject::connect(page, &QObject::destroyed, &loop, &QEventLoop::quit);
        QObject::connect(page, &QWebEnginePage::renderProcessTerminated, &loop, &QEventLoop::quit);
        QObject::connect(page, &QWebEnginePage::loadStarted, &loop, &QEventLoop::quit);
        timer.start(timeoutMs);
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    }
    --s_depth;
    return (*done && guarded) ? *result : QVariant();
}

QString scriptWithArguments(const QString &resource, const QList<QPair<QString, QString>> &args) {
    QFile file(QStringLiteral(":/lumaro/js/") + resource);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QString script = QString::fromUtf8(file.readAll());
    QList<QPair<QString, QString>> literals;
    for (const auto &[name, value] : args) {
        // A one-element JSON array, without its brackets, is the string's JSON literal.
        QByteArray literal = QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact);
        literal = literal.mid(1, literal.size() - 2);
        literal.replace("</", "<\\/");
        literals.append({name, QString::fromUtf8(literal)});
    }
    // One pass over the script, so that a value holding a placeholder's name stays as it is.
    QString out;
    for (qsizetype i = 0; i < script.size();) {
        bool replaced = false;
        for (const auto &[name, literal] : literals) {
            if (QStringView(script).sliced(i).startsWith(name)) {
                out += literal;
                i += name.size();
                replaced = true;
                break;
            }
        }
        if (!replaced)
            out += script[i++];
    }
    return out;
}

} // namespace browser
