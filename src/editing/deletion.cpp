#include "deletion.h"

#include "visibletext.h"

#include "common/lineends.h"

namespace editing {

QString removeFromShownText(QStringView html, QStringView selection) {
    if (selection.isEmpty())
        return html.toString();
    QString out;
    out.reserve(html.size());
    qsizetype copied = 0;
    for (const TextRange &range : visibleTextRanges(html)) {
        const QStringView text = html.sliced(range.start, range.end - range.start);
        for (qsizetype at = text.indexOf(selection); at >= 0;
             at = text.indexOf(selection, at + selection.size())) {
            out.append(html.sliced(copied, range.start + at - copied));
            copied = range.start + at + selection.size();
        }
    }
    out.append(html.sliced(copied));
    return out;
}

std::optional<QString> removeFavouriteHolding(QStringView file, QStringView selection) {
    qsizetype p = indexOfVisible(file, selection);
    // Rows the program adds hold their text escaped: "Tom & Jerry" is "Tom &amp; Jerry".
    if (p < 0)
        p = indexOfVisible(file, selection.toString().toHtmlEscaped());
    if (p < 0)
        return std::nullopt;
    const qsizetype rowStart = file.first(p + 1).lastIndexOf(u"<tr ");
    const qsizetype rowEnd = rowStart < 0 ? -1 : file.indexOf(u"</tr>", rowStart);
    if (rowStart >= 0 && rowEnd >= 0 && rowEnd + 5 > p) {
        const qsizetype end = rowEnd + 5 + common::lineEndLengthAt(file, rowEnd + 5);
        return file.first(rowStart).toString() + file.sliced(end).toString();
    }
    const qsizetype lineStart = common::lineStartBefore(file, p);
    const qsizetype lineEnd = common::lineEndFrom(file, p);
    const qsizetype end = lineEnd + common::lineEndLengthAt(file, lineEnd);
    return file.first(lineStart).toString() + file.sliced(end).toString();
}

} // namespace editing
