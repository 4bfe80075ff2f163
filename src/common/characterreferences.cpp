#include "characterreferences.h"

#include <QHash>

namespace common {

namespace {

struct NamedReference {
    char32_t codePoint = 0;
    bool legacy = false; // decodes without its ";" too
};

// The Latin-1 names, U+00A0 to U+00FF in order; all of them are legacy names.
constexpr const char *kLatin1Names[96] = {
    "nbsp",   "iexcl",  "cent",   "pound",  "curren", "yen",    "brvbar", "sect",   "uml",
    "copy",   "ordf",   "laquo",  "not",    "shy",    "reg",    "macr",   "deg",    "plusmn",
    "sup2",   "sup3",   "acute",  "micro",  "para",   "middot", "cedil",  "sup1",   "ordm",
    "raquo",  "frac14", "frac12", "frac34", "iquest", "Agrave", "Aacute", "Acirc",  "Atilde",
    "Auml",   "Aring",  "AElig",  "Ccedil", "Egrave", "Eacute", "Ecirc",  "Euml",   "Igrave",
    "Iacute", "Icirc",  "Iuml",   "ETH",    "Ntilde", "Ograve", "Oacute", "Ocirc",  "Otilde",
    "Ouml",   "times",  "Oslash", "Ugrave", "Uacute", "Ucirc",  "Uuml",   "Yacute", "THORN",
    "szlig",  "agrave", "aacute", "acirc",  "atilde", "auml",   "aring",  "aelig",  "ccedil",
    "egrave", "eacute", "ecirc",  "euml",   "igrave", "iacute", "icirc",  "iuml",   "eth",
    "ntilde", "ograve", "oacute", "ocirc",  "otilde", "ouml",   "divide", "oslash", "ugrave",
    "uacute", "ucirc",  "uuml",   "yacute", "thorn",  "yuml"};

struct Name {
    const char *name;
    char32_t codePoint;
};

constexpr Name kLegacyNames[] = {{"amp", 0x26},  {"AMP", 0x26}, {"lt", 0x3C},   {"LT", 0x3C},
                                 {"gt", 0x3E},   {"GT", 0x3E},  {"quot", 0x22}, {"QUOT", 0x22},
                                 {"COPY", 0xA9}, {"REG", 0xAE}};

// Names that need their ";": punctuation, typography, arrows, maths and Greek.
constexpr Name kOtherNames[] = {
    {"Tab", 0x9},       {"NewLine", 0xA},   {"excl", 0x21},     {"num", 0x23},
    {"dollar", 0x24},   {"percnt", 0x25},   {"apos", 0x27},     {"lpar", 0x28},
    {"rpar", 0x29},     {"ast", 0x2A},      {"plus", 0x2B},     {"comma", 0x2C},
    {"period", 0x2E},   {"sol", 0x2F},      {"colon", 0x3A},    {"semi", 0x3B},
    {"equals", 0x3D},   {"quest", 0x3F},    {"commat", 0x40},   {"lsqb", 0x5B},
    {"bsol", 0x5C},     {"rsqb", 0x5D},     {"Hat", 0x5E},      {"lowbar", 0x5F},
    {"grave", 0x60},    {"lcub", 0x7B},     {"verbar", 0x7C},   {"rcub", 0x7D},
    {"OElig", 0x152},   {"oelig", 0x153},   {"Scaron", 0x160},  {"scaron", 0x161},
    {"Yuml", 0x178},    {"fnof", 0x192},    {"circ", 0x2C6},    {"tilde", 0x2DC},
    {"ensp", 0x2002},   {"emsp", 0x2003},   {"thinsp", 0x2009}, {"zwnj", 0x200C},
    {"zwj", 0x200D},    {"lrm", 0x200E},    {"rlm", 0x200F},    {"ndash", 0x2013},
    {"mdash", 0x2014},  {"lsquo", 0x2018},  {"rsquo", 0x2019},  {"sbquo", 0x201A},
    {"ldquo", 0x201C},  {"rdquo", 0x201D},  {"bdquo", 0x201E},  {"dagger", 0x2020},
    {"Dagger", 0x2021}, {"bull", 0x2022},   {"hellip", 0x2026}, {"permil", 0x2030},
    {"prime", 0x2032},  {"Prime", 0x2033},  {"lsaquo", 0x2039}, {"rsaquo", 0x203A},
    {"oline", 0x203E},  {"frasl", 0x2044},  {"euro", 0x20AC},   {"trade", 0x2122},
    {"larr", 0x2190},   {"uarr", 0x2191},   {"rarr", 0x2192},   {"darr", 0x2193},
    {"harr", 0x2194},   {"minus", 0x2212},  {"sum", 0x2211},    {"prod", 0x220F},
    {"radic", 0x221A},  {"infin", 0x221E},  {"ne", 0x2260},     {"le", 0x2264},
    {"ge", 0x2265},     {"spades", 0x2660}, {"clubs", 0x2663},  {"hearts", 0x2665},
    {"diams", 0x2666},
};

constexpr const char *kGreekCapitals[] = {
    "Alpha", "Beta",   "Gamma",   "Delta", "Epsilon", "Zeta",    "Eta",  "Theta", "Iota",
    "Kappa", "Lambda", "Mu",      "Nu",    "Xi",      "Omicron", "Pi",   "Rho",   nullptr,
    "Sigma", "Tau",    "Upsilon", "Phi",   "Chi",     "Psi",     "Omega"};

const QHash<QString, NamedReference> &namedReferences() {
    static const QHash<QString, NamedReference> table = [] {
        QHash<QString, NamedReference> names;
        for (int i = 0; i < 96; ++i)
            names.insert(QLatin1String(kLatin1Names[i]), {char32_t(0xA0 + i), true});
        for (const Name &name : kLegacyNames)
            names.insert(QLatin1String(name.name), {name.codePoint, true});
        for (const Name &name : kOtherNames)
            names.insert(QLatin1String(name.name), {name.codePoint, false});
        for (int i = 0; i < 25; ++i) {
            if (!kGreekCapitals[i])
                continue;
            const QString capital = QLatin1String(kGreekCapitals[i]);
            names.insert(capital, {char32_t(0x391 + i), false});
            names.insert(capital.front().toLower() + capital.mid(1), {char32_t(0x3B1 + i), false});
        }
        names.insert(QStringLiteral("sigmaf"), {0x3C2, false});
        return names;
    }();
    return table;
}

// What a number in a reference stands for, as HTML maps it.
char32_t numericCodePoint(char32_t value) {
    static constexpr char16_t kWindows1252[32] = {
        0x20AC, 0x81,   0x201A, 0x192,  0x201E, 0x2026, 0x2020, 0x2021, 0x2C6,  0x2030, 0x160,
        0x2039, 0x152,  0x8D,   0x17D,  0x8F,   0x90,   0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x2DC,  0x2122, 0x161,  0x203A, 0x153,  0x9D,   0x17E,  0x178};
    if (value == 0 || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
        return 0xFFFD;
    if (value >= 0x80 && value <= 0x9F)
        return kWindows1252[value - 0x80];
    return value;
}

bool isAsciiAlphanumeric(QChar c) {
    const char16_t u = c.unicode();
    return (u >= u'0' && u <= u'9') || (u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z');
}

int digitValue(QChar c, int base) {
    const char16_t u = c.unicode();
    int digit = 99;
    if (u >= u'0' && u <= u'9')
        digit = u - u'0';
    else if (u >= u'a' && u <= u'f')
        digit = u - u'a' + 10;
    else if (u >= u'A' && u <= u'F')
        digit = u - u'A' + 10;
    return digit < base ? digit : -1;
}

// Decodes the reference starting at `amp`; gives the characters consumed, 0 when there is none.
qsizetype decodeAt(QStringView value, qsizetype amp, QString &out) {
    qsizetype i = amp + 1;
    if (i < value.size() && value[i] == u'#') {
        ++i;
        int base = 10;
        if (i < value.size() && (value[i] == u'x' || value[i] == u'X')) {
            base = 16;
            ++i;
        }
        const qsizetype digits = i;
        char32_t number = 0;
        for (; i < value.size() && digitValue(value[i], base) >= 0; ++i)
            number =
                std::min<char32_t>(number * base + char32_t(digitValue(value[i], base)), 0x110000);
        if (i == digits)
            return 0;
        if (i < value.size() && value[i] == u';')
            ++i;
        const char32_t codePoint = numericCodePoint(number);
        out.append(QString::fromUcs4(&codePoint, 1));
        return i - amp;
    }
    qsizetype end = i;
    while (end < value.size() && end - i < 32 && isAsciiAlphanumeric(value[end]))
        ++end;
    if (end == i)
        return 0;
    const auto found = namedReferences().constFind(value.sliced(i, end - i).toString());
    if (found == namedReferences().constEnd())
        return 0;
    const bool semicolon = end < value.size() && value[end] == u';';
    if (!semicolon && (!found->legacy || (end < value.size() && value[end] == u'=')))
        return 0;
    out.append(QString::fromUcs4(&found->codePoint, 1));
    return end + (semicolon ? 1 : 0) - amp;
}

} // namespace

QString decodeCharacterReferences(QStringView value) {
    qsizetype amp = value.indexOf(u'&');
    if (amp < 0)
        return value.toString();
    QString out;
    out.reserve(value.size());
    qsizetype copied = 0;
    for (; amp >= 0; amp = value.indexOf(u'&', amp + 1)) {
        out.append(value.sliced(copied, amp - copied));
        const qsizetype consumed = decodeAt(value, amp, out);
        copied = consumed > 0 ? amp + consumed : amp;
        if (consumed > 0)
            amp += consumed - 1;
    }
    out.append(value.sliced(copied));
    return out;
}

} // namespace common
