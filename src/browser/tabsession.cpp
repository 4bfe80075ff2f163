#include "tabsession.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace browser {

QByteArray TabSession::toJson() const {
    QJsonArray entries;
    for (const TabRecord &tab : tabs) {
        entries.append(QJsonObject{{QStringLiteral("url"), tab.url.toString(QUrl::FullyEncoded)},
                                   {QStringLiteral("title"), tab.title},
                                   {QStringLiteral("marked"), tab.marked}});
    }
    const QJsonObject root{{QStringLiteral("version"), 1},
                           {QStringLiteral("cleanQuit"), cleanQuit},
                           {QStringLiteral("shown"), shownPosition},
                           {QStringLiteral("tabs"), entries}};
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

std::optional<TabSession> TabSession::fromJson(const QByteArray &data, QString *error) {
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(data, &parseError);
    const auto fail = [error](const QString &reason) -> std::optional<TabSession> {
        if (error)
            *error = reason;
        return std::nullopt;
    };
    if (parseError.error != QJsonParseError::NoError)
        return fail(QStringLiteral("内容不完整或已损坏（第 %1 个字节）").arg(parseError.offset));
    const QJsonObject root = document.object();
    if (!document.isObject() || root.value(QStringLiteral("version")).toInt() != 1 ||
        !root.value(QStringLiteral("tabs")).isArray())
        return fail(QStringLiteral("不是本程序的会话文件"));
    TabSession session;
    session.cleanQuit = root.value(QStringLiteral("cleanQuit")).toBool();
    session.shownPosition = root.value(QStringLiteral("shown")).toInt(1);
    for (const QJsonValue &value : root.value(QStringLiteral("tabs")).toArray()) {
        const QJsonObject entry = value.toObject();
        const QUrl url(entry.value(QStringLiteral("url")).toString(), QUrl::StrictMode);
        if (!url.isValid() || url.isEmpty())
            continue;
        session.tabs.append({url, entry.value(QStringLiteral("title")).toString(),
                             entry.value(QStringLiteral("marked")).toBool()});
    }
    if (session.shownPosition < 1 || session.shownPosition > session.tabs.size() + 1)
        session.shownPosition = 1;
    return session;
}

} // namespace browser
