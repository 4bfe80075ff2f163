#pragma once

#include "common/ansifile.h"

#include <QString>
#include <QStringView>

// Writing link.htm after an edit without ever losing what the user did not remove.
namespace links::favourites {

enum class Change { AddRow, AddRows, EditRow, RemoveRow };

// Why `changed` must not replace link.htm, or an empty text when it may. `onDisk` is the file
// as it is now, `read` the text the change was made from. The file must still be what was
// read (nothing changed it meanwhile), an added row adds one row (AddRows: one or more), an
// edited row keeps every row, and a removal takes one row at most; adding never makes the
// file shorter.
// Example: replacementProblem(file, file, file.left(10), Change::AddRow) is not empty.
QString replacementProblem(QStringView onDisk, QStringView read, QStringView changed,
                           Change change);

// Writes `changed` as it is to the favourites file at `path` in `encoding` when
// replacementProblem allows it and the file on disk is in a charset it can be written back in
// byte for byte, atomically (see common::writeTextFile). On refusal or failure
// `error` receives the reason in Chinese.
bool writeFavouritesFile(const QString &path, const QString &read, const QString &changed,
                         common::FileEncoding encoding, Change change, QString *error);

} // namespace links::favourites
