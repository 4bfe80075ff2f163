#include "textsearch.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace common {

qsizetype findEither(const char16_t *data, qsizetype from, qsizetype end, char16_t a, char16_t b) {
    qsizetype i = from;
#if defined(__SSE2__)
    const __m128i va = _mm_set1_epi16(short(a));
    const __m128i vb = _mm_set1_epi16(short(b));
    for (; i + 8 <= end; i += 8) {
        const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i *>(data + i));
        const __m128i hit = _mm_or_si128(_mm_cmpeq_epi16(chunk, va), _mm_cmpeq_epi16(chunk, vb));
        const int mask = _mm_movemask_epi8(hit);
        if (mask != 0)
            return i + __builtin_ctz(unsigned(mask)) / 2;
    }
#endif
    for (; i < end; ++i) {
        if (data[i] == a || data[i] == b)
            return i;
    }
    return end;
}

qsizetype indexOfCI(QStringView text, QStringView lowerPattern, qsizetype from) {
    const char16_t *data = text.utf16();
    const char16_t *pattern = lowerPattern.utf16();
    const qsizetype last = text.size() - lowerPattern.size();
    qsizetype i = qMax<qsizetype>(from, 0);
#if defined(__SSE2__)
    // Compare the first (up to) three characters of the pattern at eight places at once;
    // a letter matches in either case by setting bit 0x20 before comparing.
    const qsizetype probe = qMin<qsizetype>(lowerPattern.size(), 3);
    __m128i want[3];
    __m128i fold[3];
    for (qsizetype k = 0; k < probe; ++k) {
        const char16_t c = pattern[k];
        const bool letter = c >= u'a' && c <= u'z';
        want[k] = _mm_set1_epi16(short(c));
        fold[k] = _mm_set1_epi16(letter ? 0x20 : 0);
    }
    for (; i + 8 <= last + 1; i += 8) {
        __m128i hit = _mm_set1_epi16(-1);
        for (qsizetype k = 0; k < probe; ++k) {
            const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i *>(data + i + k));
            hit = _mm_and_si128(hit, _mm_cmpeq_epi16(_mm_or_si128(chunk, fold[k]), want[k]));
        }
        unsigned mask = unsigned(_mm_movemask_epi8(hit));
        while (mask != 0) {
            const qsizetype at = i + __builtin_ctz(mask) / 2;
            if (matchesAt(text, at, lowerPattern))
                return at;
            mask &= mask - 1;
            mask &= mask - 1; // two mask bits per character
        }
    }
#endif
    for (; i <= last; ++i) {
        if (matchesAt(text, i, lowerPattern))
            return i;
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
