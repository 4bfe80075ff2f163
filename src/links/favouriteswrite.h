#pragma once

#include "common/ansifile.h"

#include <QString>
#include <QStringView>

// Writing link.htm after an edit without ever losing what the user did not remove.
namespace links::favourites {

enum class Change { AddRow, EditRow, RemoveRow };

// Why `changed` must not replace link.htm, or an empty text when it may. `onDisk` is the file
// as it is now, `read` the text the change was made from. The file must still be what was
// read (nothing changed it meanwhile), an added row adds one row, an edited row keeps every
// row, and a removal takes one row at most; adding a row never makes the file shorter.
// Example: replacementProblem(file, file, file.left(10), Change::AddRow) is not empty.
QString replacementProblem(QStringView onDisk, QStringView read, QStringView changed,
                           Change change);

// Writes `changed` as it is to the favourites file at `path` in `encoding` when
// replacementProblem allows it, atomically (see common::writeTextFile). On refusal or failure
// `error` receives the reason in Chinese.
bool writeFavouritesFile(const QString &path, const QString &read, const QString &changed,
                         common::FileEncoding encoding, Change change, QString *error);

} // namespace links::favourites
