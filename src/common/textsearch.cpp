#include "textsearch.h"

namespace common {

bool matchesAt(QStringView text, qsizetype pos, QStringView lowerPattern) {
    if (pos < 0 || pos + lowerPattern.size() > text.size())
        return false;
    for (qsizetype i = 0; i < lowerPattern.size(); ++i) {
        if (asciiLower(text[pos + i].unicode()) != lowerPattern[i].unicode())
            return false;
    }
    return true;
}

qsizetype indexOfCI(QStringView text, QStringView lowerPattern, qsizetype from) {
    const char16_t first = lowerPattern[0].unicode();
    const bool firstIsLetter = first >= u'a' && first <= u'z';
    const qsizetype last = text.size() - lowerPattern.size();
    for (qsizetype i = qMax<qsizetype>(from, 0); i <= last;) {
        // Jump to the next candidate with Qt's vectorised character search.
        const qsizetype hit =
            firstIsLetter ? text.indexOf(QChar(first), i, Qt::CaseInsensitive) : text.indexOf(QChar(first), i);
        if (hit < 0 || hit > last)
            return -1;
        if (matchesAt(text, hit, lowerPattern))
            return hit;
        i = hit + 1;
    }
    return -1;
}

QString asciiLowered(QStringView text) {
    QString out(text.size(), Qt::Uninitialized);
    char16_t *dst = reinterpret_cast<char16_t *>(out.data());
    for (qsizetype i = 0; i < text.size(); ++i)
        dst[i] = asciiLower(text[i].unicode());
    return out;
}

QString trimSpaces(QStringView text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text[begin] == u' ')
        ++begin;
    while (end > begin && text[end - 1] == u' ')
        --end;
    return text.mid(begin, end - begin).toString();
}

} // namespace common
