#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QUrl>

// The downloads list as kept in the data folder (downloads.json): one record per file the
// program downloaded, this run and earlier ones.
namespace saving {

struct DownloadRecord {
    enum class State { Running, Done, Failed };
    QUrl url;
    QString path; // the file's full path
    qint64 bytes = -1;
    State state = State::Running;
    QDateTime time; // when it started
    QString error;  // why it failed
};

// The newest records kept; older ones are dropped when the list is written.
inline constexpr int kMaxDownloadRecords = 1000;

QByteArray writeDownloadRecords(const QList<DownloadRecord> &records);

// The records of a file written by writeDownloadRecords, oldest first. The file is untrusted:
// a damaged file gives no records, an entry without an http(s), ftp or file address or without
// an absolute path is left out, and at most kMaxDownloadRecords newest are taken. A download
// still running when the file was written did not end: it reads as failed ("程序在下载时结束").
QList<DownloadRecord> readDownloadRecords(const QByteArray &bytes);

// "下载中", "完成", "失败".
QString downloadStateText(DownloadRecord::State state);

} // namespace saving
