#pragma once

#include <QByteArrayView>

// lumaro-cli's standard output: every write is checked, and a failure is never reported as
// success.
namespace cli {

// Writes `bytes` to standard output. After a write fails, nothing more is written.
void writeOutput(QByteArrayView bytes);

// Flushes standard output and gives `status` back when all of it was written; else says why
// on standard error ("lumaro-cli: cannot write the output: No space left on device") and
// gives 2.
int finishOutput(int status);

} // namespace cli
