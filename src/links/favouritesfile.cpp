#include "favouritesfile.h"

#include "favouriteslinks.h"

#include "common/lineends.h"
#include "common/linkaddress.h"
#include "common/tagscan.h"
#include "common/textsearch.h"

#include <QRandomGenerator>

#include <algorithm>
#include <variant>

namespace links::favourites {

namespace {

const QString kCrLf = QStringLiteral("\r\n");

// The address inside the cells' script, location.href='...', itself inside a double-quoted
// attribute: first a JavaScript string, then an attribute value.
QString scriptForm(const QString &address) {
    QString script;
    for (QChar c : address) {
        if (c == u'\\' || c == u'\'')
            script += u'\\';
        if (c == u'\r' || c == u'\n')
            continue;
        script += c;
    }
    return script.toHtmlEscaped();
}

QString textForm(const QString &text) {
    QString escaped = text.toHtmlEscaped();
    escaped.remove(u'\r');
    escaped.replace(u'\n', u' ');
    return escaped;
}

QString unescape(QString text) {
    text.replace(QStringLiteral("&lt;"), QStringLiteral("<"));
    text.replace(QStringLiteral("&gt;"), QStringLiteral(">"));
    text.replace(QStringLiteral("&quot;"), QStringLiteral("\""));
    text.replace(QStringLiteral("&#39;"), QStringLiteral("'"));
    text.replace(QStringLiteral("&amp;"), QStringLiteral("&"));
    return text;
}

// The cell text (after its "&nbsp;") that ends with the "</td>" found last before `before`;
// `cellEnd` receives the position of that "</td>".
std::optional<QString> cellBefore(QStringView file, qsizetype before, qsizetype *cellEnd) {
    const qsizetype end = file.first(qMax<qsizetype>(before, 0)).lastIndexOf(u"</td>");
    if (end < 0)
        return std::nullopt;
    const qsizetype gt = file.first(end).lastIndexOf(u'>');
    *cellEnd = end;
    return file.sliced(gt + 1, end - gt - 1).mid(6).toString();
}

struct Row {
    qsizetype start = -1;
    qsizetype end = -1; // just after its "</tr>"
};

std::optional<qsizetype> namePosition(QStringView file, const QString &buttonName) {
    const qsizetype at = file.indexOf(u'"' + buttonName + u'"');
    if (buttonName.isEmpty() || at < 0)
        return std::nullopt;
    return at;
}

std::optional<Row> rowAround(QStringView file, qsizetype position) {
    const qsizetype start = file.first(position + 1).lastIndexOf(u"<tr ");
    const qsizetype close = file.indexOf(u"</tr>", position);
    if (start < 0 || close < 0)
        return std::nullopt;
    return Row{start, close + 5};
}

} // namespace

QString newKey() {
    QString key;
    for (int i = 0; i < 15; ++i)
        key += QChar(u'A' + QRandomGenerator::global()->bounded(25));
    return key;
}

QString lineEndOf(QStringView file) {
    return file.contains(kCrLf) || !file.contains(u'\n') ? kCrLf : QStringLiteral("\n");
}

QString joinLines(QStringView before, QStringView after) {
    if ((before.endsWith(u'\n') || before.endsWith(u'\r')) && common::lineEndLengthAt(after, 0) > 0)
        after = after.sliced(common::lineEndLengthAt(after, 0));
    return before.toString() + after.toString();
}

std::optional<QString> addEntry(QStringView file, const QString &address, const QString &comment,
                                const QString &key) {
    return addEntry(file, Entry{address, comment}, key);
}

std::optional<QString> addEntry(QStringView file, const Entry &entry, const QString &key) {
    const QString lower = common::asciiLowered(file);
    const qsizetype last = lower.lastIndexOf(u"</tr>");
    if (last < 0)
        return std::nullopt;
    const QString &address = entry.address;
    const QString &comment = entry.comment;
    const QString script = scriptForm(address);
    QString where;
    if (!entry.folder.isEmpty())
        where += QStringLiteral("data-folder=\"%1\" ").arg(textForm(entry.folder));
    if (entry.added > 0)
        where += QStringLiteral("data-added=\"%1\" ").arg(entry.added);
    QString row =
        QStringLiteral("</tr>\r\n<tr class=\"normalcolorstyle\" ") + where +
        QStringLiteral("OnMouseOver=\"this.className='lightcolorstyle';"
                       "this.style.cursor = 'hand';\" OnMouseout=\"this.className = "
                       "'normalcolorstyle';\">\r\n") +
        QStringLiteral("<td width=\"45%\" OnClick=\"location.href='%1'\">&nbsp;%2</td>\r\n")
            .arg(script, textForm(address)) +
        QStringLiteral("<td width=\"35%\" OnClick=\"location.href='%1'\">&nbsp;%2</td>\r\n")
            .arg(script, textForm(comment)) +
        QStringLiteral("<td width=\"20%\"><p align=\"right\"><input type=\"button\" value=\"修改\" "
                       "name=\"B1%1\">"
                       "<input type=\"button\" value=\"删除\" name=\"B2%1\"></td>\r\n")
            .arg(key);
    row.replace(kCrLf, lineEndOf(file));
    return file.first(last).toString() + row + file.sliced(last).toString();
}

bool containsAddress(QStringView file, const QString &address) {
    if (file.contains(QStringLiteral("location.href='%1'").arg(scriptForm(address))))
        return true;
    const QString wanted = common::comparableAddress(address);
    const QSet<QString> present = entryAddresses(file);
    return std::any_of(present.begin(), present.end(), [&wanted](const QString &entry) {
        return common::comparableAddress(entry) == wanted;
    });
}

std::optional<Entry> findEntry(QStringView file, const QString &buttonName) {
    const auto at = namePosition(file, buttonName);
    if (!at)
        return std::nullopt;
    qsizetype commentEnd = 0;
    const auto comment = cellBefore(file, *at, &commentEnd);
    if (!comment)
        return std::nullopt;
    qsizetype addressEnd = 0;
    const auto address = cellBefore(file, commentEnd - 1, &addressEnd);
    if (!address)
        return std::nullopt;
    Entry entry{unescape(*address), unescape(*comment)};
    // The row's tr tag, when it is the row of these cells.
    const qsizetype tr = file.first(addressEnd).lastIndexOf(u"<tr ");
    const qsizetype trEnd = tr < 0 ? -1 : common::tagEnd(file, tr);
    if (trEnd > 0 && file.sliced(trEnd, addressEnd - trEnd).count(u"<td") == 1) {
        const QStringView tag = file.sliced(tr, trEnd - tr);
        entry.folder = common::tagAttribute(tag, u"data-folder").value_or(QString());
        entry.added = common::tagAttribute(tag, u"data-added").value_or(QString()).toLongLong();
    }
    return entry;
}

// The row of a button, or why there is none.
static std::variant<Row, EditResult> buttonRow(QStringView file, const QString &buttonName) {
    const auto at = namePosition(file, buttonName);
    if (!at)
        return EditResult::NameNotFound;
    const auto row = rowAround(file, *at);
    if (!row)
        return EditResult::RowBroken;
    return *row;
}

EditResult deleteEntry(QString &file, const QString &buttonName) {
    const auto found = buttonRow(file, buttonName);
    if (const auto *failure = std::get_if<EditResult>(&found))
        return *failure;
    const Row *row = std::get_if<Row>(&found);
    file = joinLines(QStringView(file).first(row->start), QStringView(file).sliced(row->end));
    return EditResult::Done;
}

EditResult editEntry(QString &file, const QString &buttonName, const Entry &old,
                     const Entry &changed) {
    const auto found = buttonRow(file, buttonName);
    if (const auto *failure = std::get_if<EditResult>(&found))
        return *failure;
    const Row *row = std::get_if<Row>(&found);
    QString text = file.mid(row->start, row->end - row->start);
    const QString href = QStringLiteral("location.href='");
    const QString cell = QStringLiteral(">&nbsp;");
    text.replace(href + scriptForm(old.address), href + scriptForm(changed.address));
    text.replace(cell + textForm(old.address), cell + textForm(changed.address));
    text.replace(cell + textForm(old.comment) + u'<', cell + textForm(changed.comment) + u'<');
    file = file.left(row->start) + text + file.mid(row->end);
    return EditResult::Done;
}

bool isEditButton(const QString &buttonName) {
    if (buttonName.size() < 2 || !buttonName[1].isDigit())
        return false;
    return buttonName[1].digitValue() % 2 == 1;
}

} // namespace links::favourites
