#pragma once

#include <QList>
#include <QStringView>

// Where an HTML text holds what a reader sees: the text between tags. Tags with their
// attributes, comments, and the content of script, style, title, noscript and template
// elements are not shown, so a selection made in the page never lies there.
namespace editing {

struct TextRange {
    qsizetype start = 0; // first character
    qsizetype end = 0;   // one past the last
};

// The ranges of `html` that are shown text, in order; a quoted ">" stays inside its tag.
// Example: visibleTextRanges(u"<b title='a>b'>x</b>y") gives the ranges of "x" and "y".
QList<TextRange> visibleTextRanges(QStringView html);

// The position of the first occurrence of `text` inside one shown range; -1 when none.
qsizetype indexOfVisible(QStringView html, QStringView text);

} // namespace editing
