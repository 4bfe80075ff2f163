#pragma once

#include <QList>
#include <QString>
#include <QUrl>

#include <functional>

namespace saving {

// A reference to another file in a style sheet: a `url(...)` anywhere, or the address of an
// `@import`, with the span of text it takes (the whole `url(...)`, or the quoted string).
struct CssReference {
    qsizetype start = 0;
    qsizetype length = 0;
    QString address; // as the sheet means it: quotes taken off, escapes read
    bool import = false;
};

// Every reference in `css`, in order; comments and other strings are passed over.
QList<CssReference> cssReferences(QStringView css);

// The file a reference names, from the sheet at `base`; an empty address for what is not
// fetched (a "data:" address, a place in the same document such as "#gradient").
QUrl referencedFile(const CssReference &reference, const QUrl &base);

// `css` with each reference for which `replacement` gives an address written as
// url("that address"); a reference given an empty text stays as it was.
QString replaceCssReferences(QStringView css,
                             const std::function<QString(const CssReference &)> &replacement);

} // namespace saving
