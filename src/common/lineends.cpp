#include "lineends.h"

namespace common {

qsizetype lineEndLengthAt(QStringView text, qsizetype pos) {
    if (pos < 0 || pos >= text.size())
        return 0;
    if (text[pos] == u'\r')
        return pos + 1 < text.size() && text[pos + 1] == u'\n' ? 2 : 1;
    return text[pos] == u'\n' ? 1 : 0;
}

qsizetype lineStartBefore(QStringView text, qsizetype pos) {
    for (qsizetype i = qMin(pos, text.size()) - 1; i >= 0; --i) {
        if (text[i] == u'\n' || text[i] == u'\r')
            return i + 1;
    }
    return 0;
}

qsizetype lineEndFrom(QStringView text, qsizetype pos) {
    for (qsizetype i = qMax<qsizetype>(pos, 0); i < text.size(); ++i) {
        if (text[i] == u'\n' || text[i] == u'\r')
            return i;
    }
    return text.size();
}

QStringList splitLines(QStringView text) {
    QStringList lines;
    qsizetype start = 0;
    while (start < text.size()) {
        const qsizetype end = lineEndFrom(text, start);
        lines.append(text.sliced(start, end - start).toString());
        start = end + lineEndLengthAt(text, end);
        if (end == text.size())
            break;
    }
    return lines;
}

} // namespace common
