#include "deletion.h"

namespace editing {

QString removeEvery(QStringView text, QStringView selection) {
    QString out = text.toString();
    if (!selection.isEmpty())
        out.remove(selection.toString());
    return out;
}

std::optional<QString> removeFavouriteHolding(QStringView file, QStringView selection) {
    const qsizetype p = selection.isEmpty() ? -1 : file.indexOf(selection);
    if (p < 0)
        return std::nullopt;
    const qsizetype rowStart = file.first(p + 1).lastIndexOf(u"<tr ");
    const qsizetype rowEnd = rowStart < 0 ? -1 : file.indexOf(u"</tr>", rowStart);
    if (rowStart >= 0 && rowEnd >= 0 && rowEnd + 5 > p) {
        qsizetype end = rowEnd + 5;
        if (file.sliced(end).startsWith(u"\r\n"))
            end += 2;
        return file.first(rowStart).toString() + file.sliced(end).toString();
    }
    const qsizetype before = file.first(p).lastIndexOf(u"\r\n");
    const qsizetype lineStart = before < 0 ? 0 : before + 2;
    const qsizetype after = file.indexOf(u"\r\n", p);
    const qsizetype lineEnd = after < 0 ? file.size() : after + 2;
    return file.first(lineStart).toString() + file.sliced(lineEnd).toString();
}

} // namespace editing
