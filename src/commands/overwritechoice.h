#pragma once

#include "commands/dialogs.h"

#include <QString>

namespace commands {

// The overwrite question of a batch save, asked with the file's name; 全部覆盖 and 全部跳过
// answer it for the rest of the batch.
class OverwriteChoice {
public:
    OverwriteChoice(Dialogs &dialogs, QString folder)
        : m_dialogs(dialogs), m_folder(std::move(folder)) {}

    // The file name to write `name` + `extension` under: the name itself when no file of that
    // name (in any letter case) exists; else the existing file's own name (覆盖), a free
    // numbered name such as "第一章No2.htm" (另存为编号文件名), or an empty text (跳过).
    QString fileNameFor(const QString &name, const QString &extension);

private:
    enum class Standing { Ask, OverwriteAll, SkipAll };

    Dialogs &m_dialogs;
    QString m_folder;
    Standing m_standing = Standing::Ask;
};

// The first free name `name` + "No" + n + `extension` in `folder`, n from 2 up, compared
// ignoring letter case. Example: with "a.htm" and "aNo2.htm" there, numberedFileName(folder,
// "a", ".htm") == "aNo3.htm".
QString numberedFileName(const QString &folder, const QString &name, const QString &extension);

} // namespace commands
