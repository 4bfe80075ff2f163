#include "clioutput.h"

#include <QDateTime>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace cli {

namespace {

int writeError = 0; // the errno of the first failed write or flush

int lastError() {
    return errno != 0 ? errno : EIO;
}

} // namespace

void writeOutput(QByteArrayView bytes) {
    if (writeError != 0 || bytes.isEmpty())
        return;
    errno = 0;
    if (std::fwrite(bytes.data(), 1, size_t(bytes.size()), stdout) != size_t(bytes.size()))
        writeError = lastError();
}

int finishOutput(int status) {
    errno = 0;
    if (writeError == 0 && std::fflush(stdout) != 0)
        writeError = lastError();
    if (writeError == 0 && std::ferror(stdout))
        writeError = EIO;
    if (writeError == 0)
        return status;
    std::fprintf(stderr, "lumaro-cli: cannot write the output: %s\n", std::strerror(writeError));
    return 2;
}

QString lineField(QString text) {
    for (QChar &c : text) {
        if (c == u'\t' || c == u'\n' || c == u'\r')
            c = u' ';
    }
    return text.simplified();
}

QString localIsoTime(qint64 msecs) {
    if (msecs <= 0)
        return {};
    const QDateTime local = QDateTime::fromMSecsSinceEpoch(msecs);
    return local.toOffsetFromUtc(local.offsetFromUtc()).toString(Qt::ISODate);
}

} // namespace cli
