#pragma once

#include <QString>
#include <QStringView>

#include <optional>

namespace saving {

// Removes every character a saved file's name must not hold: / \ : ? * < > | " space, CR,
// LF and ".", and the invisible ones that change how a name reads: control characters (U+0085
// among them), bidirectional marks and overrides (U+200E, U+200F, U+061C, U+202A to U+202E,
// U+2066 to U+2069), and U+2028 and U+2029. Nothing else changes (no trimming, tabs stay).
// The result may be empty.
// Example: correctName(u"Page 2: A.B") == "Page2AB".
QString correctName(QStringView name);

// As correctName, but spaces stay. Example: correctNameHaveSpace(u"Page 2: A.B") == "Page 2 AB".
QString correctNameHaveSpace(QStringView name);

// Takes the file name from a page's HTML between two markers, found ignoring ASCII case:
// the text after the first `before` up to the next `after`, with its tags stripped and
// cleaned by correctName. No value when a marker is missing; an empty text when the markers
// enclose nothing usable.
// Example: with before "<b>" and after "</b>", "x<B>Chapter <i>1</i></B>" gives "Chapter1".
std::optional<QString> extractFileName(QStringView html, QStringView before, QStringView after);

// The path of a file `name` + `extension` in `folder`, with no doubled separators.
// Example: makeSavePath("/home/u/", "x", ".htm") == "/home/u/x.htm".
QString makeSavePath(const QString &folder, const QString &name, const QString &extension);

// Shortens `name` at a character boundary so that name + extension takes at most
// `maxBytes` bytes in the file system's encoding (UTF-8 here). Example: a 300-character
// Chinese title keeps its first 83 characters with ".htm".
QString fitFileName(const QString &name, const QString &extension, int maxBytes = 255);

} // namespace saving
