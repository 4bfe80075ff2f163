#pragma once

#include <QByteArrayView>
#include <QString>

// lumaro-cli's standard output: every write is checked, and a failure is never reported as
// success.
namespace cli {

// Writes `bytes` to standard output. After a write fails, nothing more is written.
void writeOutput(QByteArrayView bytes);

// Flushes standard output and gives `status` back when all of it was written; else says why
// on standard error ("lumaro-cli: cannot write the output: No space left on device") and
// gives 2.
int finishOutput(int status);

// One field of a tab-separated output line: tabs and line breaks become spaces, white space
// is joined.
QString lineField(QString text);
// A moment (ms since 1970) in local time with its offset: "2026-12-09T08:00:00+08:00"; empty
// for 0 or less (not known).
QString localIsoTime(qint64 msecs);

} // namespace cli
