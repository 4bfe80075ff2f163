#pragma once

#include <QString>
#include <QStringView>

#include <optional>

// Tags read as HTML reads them, for every reader of markup in the program:
// - a tag opened at "<" ends at the first ">" that is not inside a quoted attribute value;
// - a quote opens a value only where a value starts, right after "=" (blanks allowed between):
//   in <a title=it's href=x> the quote is part of the value "it's" and the tag ends at its ">";
// - a value runs to its closing quote, or, unquoted, to a blank or ">"; an attribute written
//   twice counts once, the first time.
namespace common {

// One attribute of a tag: its name as written and its value as written (references not
// decoded; empty for an attribute without a value).
struct TagAttribute {
    QStringView name;
    QStringView rawValue;
};

// Reads a tag's attributes in order. `tag` is the tag's markup from its "<"; reading stops at
// the tag's ">" or at the end of `tag`.
class TagAttributeReader {
public:
    explicit TagAttributeReader(QStringView tag);
    // The next attribute; none at the tag's end.
    std::optional<TagAttribute> next();
    // One past the ">" that ended the tag; -1 while it has not been reached, or when the
    // markup ended first.
    qsizetype end() const { return m_end; }

private:
    QStringView m_tag;
    qsizetype m_pos;
    qsizetype m_end = -1;
};

// One past the ">" that ends the tag opened at `lt`; -1 when the markup ends first.
// Example: tagEnd(u"<a title=it's href=x>go</a>", 0) == 21.
qsizetype tagEnd(QStringView html, qsizetype lt);

// The lower-case name of the tag at `lt`, with its "/" for a closing tag: "a", "/dl", "br".
QString tagName(QStringView html, qsizetype lt);

// Whether the tag `name` (lower-case ASCII) opens at `at`: "<a>", "<A href=…>", "<a/>".
bool opensTag(QStringView html, qsizetype at, QStringView name);

// The value of the attribute `name` (any letter case) of a tag's markup, as written; none
// when the tag has no such attribute.
std::optional<QStringView> rawTagAttribute(QStringView tag, QStringView name);

// The same value with its character references decoded.
std::optional<QString> tagAttribute(QStringView tag, QStringView name);

} // namespace common
