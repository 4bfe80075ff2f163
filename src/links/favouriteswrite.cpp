#include "favouriteswrite.h"

#include <QChar>

namespace links::favourites {

namespace {

qsizetype rowCount(QStringView text) {
    return text.count(u"</tr>", Qt::CaseInsensitive);
}

// The length without line breaks, which every edit collapses where they are doubled.
qsizetype lengthWithoutLineBreaks(QStringView text) {
    return text.size() - text.count(u'\r') - text.count(u'\n');
}

} // namespace

QString replacementProblem(QStringView onDisk, QStringView read, QStringView changed,
                           Change change) {
    if (onDisk != read)
        return QStringLiteral("link.htm在读取之后被修改过，这次修改没有保存，请刷新收藏夹后再试");
    const qsizetype before = rowCount(read);
    const qsizetype after = rowCount(changed);
    bool rowsAsExpected = false;
    switch (change) {
    case Change::AddRow:
        rowsAsExpected =
            after == before + 1 && lengthWithoutLineBreaks(changed) > lengthWithoutLineBreaks(read);
        break;
    case Change::AddRows:
        rowsAsExpected =
            after > before && lengthWithoutLineBreaks(changed) > lengthWithoutLineBreaks(read);
        break;
    case Change::EditRow:
        rowsAsExpected = after == before;
        break;
    case Change::RemoveRow:
        rowsAsExpected = after == before || after == before - 1;
        break;
    }
    if (!rowsAsExpected)
        return QStringLiteral("这次修改会使link.htm丢失没有删除的内容，没有保存");
    return QString();
}

bool writeFavouritesFile(const QString &path, const QString &read, const QString &changed,
                         common::FileEncoding encoding, Change change, QString *error) {
    const common::TextFileContent now = common::readTextFile(path);
    QString problem = now.ok ? replacementProblem(now.text, read, changed, change)
                             : QStringLiteral("无法重新读取link.htm");
    // A file in a charset that cannot be written back as it was would change outside the edit.
    if (problem.isEmpty() && !now.keepsBytes)
        problem = QStringLiteral("link.htm是%1编码的，无法原样写回，没有修改")
                      .arg(QString::fromLatin1(now.charset));
    if (!problem.isEmpty()) {
        if (error)
            *error = problem;
        return false;
    }
    return common::writeTextFile(path, changed, encoding, error);
}

} // namespace links::favourites
