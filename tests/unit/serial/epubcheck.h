#pragma once

#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QString>

#include <optional>

// Runs epubcheck (Debian package "epubcheck") on a file. Debian ships it as an executable jar,
// which runs only where the system starts jars by themselves: it is started through java here.
// No value when epubcheck or java is not installed; otherwise its verdict and report.
struct EpubcheckResult {
    bool passed = false;
    QString report;
};

inline std::optional<EpubcheckResult> runEpubcheck(const QString &epub) {
    const QString found = QStandardPaths::findExecutable(QStringLiteral("epubcheck"));
    const QString java = QStandardPaths::findExecutable(QStringLiteral("java"));
    if (found.isEmpty() || java.isEmpty())
        return std::nullopt;
    QProcess check;
    check.start(java, {QStringLiteral("-jar"), QFileInfo(found).canonicalFilePath(), epub});
    if (!check.waitForFinished(180000))
        return EpubcheckResult{false, QStringLiteral("epubcheck did not finish")};
    return EpubcheckResult{
        check.exitStatus() == QProcess::NormalExit && check.exitCode() == 0,
        QString::fromUtf8(check.readAllStandardOutput() + check.readAllStandardError())};
}
