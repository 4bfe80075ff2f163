// Every charset the program reads: decoding any bytes never crashes, and where the program
// promises to keep a file's bytes (UTF-8 and GB18030, the charsets it writes back), encoding
// the decoded text gives the same bytes again.
#include "common/textdecoding.h"

#include <cstdio>
#include <cstdlib>

namespace {

const char *const kCharsets[] = {"UTF-8",        "GB18030",    "GBK",        "Big5",
                                 "Shift_JIS",    "EUC-JP",     "EUC-KR",     "windows-1251",
                                 "windows-1252", "ISO-8859-1", "ISO-8859-2", "KOI8-R",
                                 "UTF-16LE",     "UTF-16BE"};

void checkRoundTrip(const QByteArray &bytes, const common::DecodedText &decoded) {
    if (decoded.charset != "UTF-8" && decoded.charset != "GB18030")
        return;
    const QByteArray again = common::encodeKeepingBytes(decoded.text, decoded.charset);
    if (again != bytes.mid(decoded.bomLength)) {
        std::fprintf(stderr, "%s: %s\n   gave %s\n", decoded.charset.constData(),
                     bytes.mid(decoded.bomLength).toHex(' ').constData(),
                     again.toHex(' ').constData());
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    for (const common::TextKind kind : {common::TextKind::Plain, common::TextKind::Html}) {
        checkRoundTrip(bytes, common::decodeBytes(bytes, kind));
        for (const char *charset : kCharsets) {
            const common::DecodedText decoded = common::decodeBytes(bytes, kind, charset);
            checkRoundTrip(bytes, decoded);
            common::withKeptBytesReplaced(decoded.text);
        }
    }
    return 0;
}
