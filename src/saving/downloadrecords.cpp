#include "downloadrecords.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace saving {

namespace {

using State = DownloadRecord::State;

const char *stateKey(State state) {
    switch (state) {
    case State::Running:
        return "running";
    case State::Done:
        return "done";
    case State::Failed:
        break;
    }
    return "failed";
}

bool isDownloadAddress(const QUrl &url) {
    static const QStringList schemes = {QStringLiteral("http"), QStringLiteral("https"),
                                        QStringLiteral("ftp"), QStringLiteral("file")};
    return url.isValid() && schemes.contains(url.scheme());
}

} // namespace

QByteArray writeDownloadRecords(const QList<DownloadRecord> &records) {
    QJsonArray list;
    for (const DownloadRecord &record :
         records.mid(qMax(0, int(records.size()) - kMaxDownloadRecords))) {
        QJsonObject entry{{QStringLiteral("url"), record.url.toString(QUrl::FullyEncoded)},
                          {QStringLiteral("path"), record.path},
                          {QStringLiteral("bytes"), double(record.bytes)},
                          {QStringLiteral("state"), QString::fromLatin1(stateKey(record.state))},
                          {QStringLiteral("time"), record.time.toString(Qt::ISODate)}};
        if (!record.error.isEmpty())
            entry.insert(QStringLiteral("error"), record.error);
        list.append(entry);
    }
    return QJsonDocument(QJsonObject{{QStringLiteral("downloads"), list}})
        .toJson(QJsonDocument::Indented);
}

QList<DownloadRecord> readDownloadRecords(const QByteArray &bytes) {
    const QJsonArray list =
        QJsonDocument::fromJson(bytes).object().value(QStringLiteral("downloads")).toArray();
    QList<DownloadRecord> records;
    for (const QJsonValue &value : list) {
        const QJsonObject entry = value.toObject();
        DownloadRecord record;
        record.url = QUrl(entry.value(QStringLiteral("url")).toString(), QUrl::StrictMode);
        record.path = entry.value(QStringLiteral("path")).toString();
        if (!isDownloadAddress(record.url) || !QDir::isAbsolutePath(record.path))
            continue;
        record.bytes = qint64(entry.value(QStringLiteral("bytes")).toDouble(-1));
        record.time =
            QDateTime::fromString(entry.value(QStringLiteral("time")).toString(), Qt::ISODate);
        record.error = entry.value(QStringLiteral("error")).toString();
        const QString state = entry.value(QStringLiteral("state")).toString();
        record.state = state == QLatin1String("done") ? State::Done : State::Failed;
        if (state == QLatin1String("running"))
            record.error = QStringLiteral("程序在下载时结束");
        records.append(record);
    }
    return records.mid(qMax(0, int(records.size()) - kMaxDownloadRecords));
}

QString downloadStateText(State state) {
    switch (state) {
    case State::Running:
        return QStringLiteral("下载中");
    case State::Done:
        return QStringLiteral("完成");
    case State::Failed:
        break;
    }
    return QStringLiteral("失败");
}

} // namespace saving
