#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>

namespace common {

// The data folder: the files the program writes and the user edits (savepath.ini, link.htm,
// href.txt, email.txt, inputtemplate/*.ini, group/*.txt, savetemplate/savetext.htm, the
// profile) and the help pages beside them. Start-up decides where it is and fills it from the
// shipped pages (datafolder.h).
class ProgramFolder {
public:
    // `defaultSaveFolder` is the save folder when savepath.ini names none; empty means the
    // data folder itself.
    explicit ProgramFolder(const QString &path, const QString &defaultSaveFolder = QString());

    QString path() const { return m_path; }
    QString filePath(const QString &name) const; // a file or folder in it
    QString favouritesPath() const { return filePath(QStringLiteral("link.htm")); }
    QUrl favouritesUrl() const { return QUrl::fromLocalFile(favouritesPath()); }

    // The default save folder from savepath.ini; the default save folder given at construction
    // when the file is missing, unreadable or blank. Only a small file is read: one larger than
    // kMaxSettingsBytes, or one that is not text, is ignored and `problem` says why (a
    // missing or blank file is no problem).
    QString readSavePath(QString *problem = nullptr) const;
    static constexpr qint64 kMaxSettingsBytes = 64 * 1024;
    // Replaces savepath.ini with the folder followed by CR LF.
    bool writeSavePath(const QString &folder, QString *error = nullptr) const;

    // Names of the form-fill templates (inputtemplate/*.ini) and of the groups (group/*.txt),
    // in alphabetical order, each without its extension. Example: "x.y.ini" gives "x.y".
    QStringList templateNames() const;
    QStringList groupNames() const;

private:
    QStringList namesIn(const QString &folder, const QString &extension) const;

    QString m_path;
    QString m_defaultSaveFolder;
};

// The folder named by the text of savepath.ini: every line end (CR LF, LF, CR) removed, so
// lines are joined, and spaces trimmed at both ends; empty when nothing is left. Example:
// "D:\\pages\r\n" gives "D:\\pages".
QString savePathFromSettings(const QString &content);

} // namespace common
