#pragma once

#include <QString>
#include <QStringView>

namespace text {

// Turns HTML into plain text by plain text substitutions, in this order:
//  1. deleteLink: cut every link ("<a" ... "</a>", the first "<a" to the first "</a>") with
//     its text; any tag whose name starts with "a" counts as a start;
//  2. deleteScript: cut every "<script" ... "</script>" with its content;
//  3. the exact tags <br>, <p> and </p> become CR LF;
//  4. every other tag ("<" to the first ">") is removed, a lone ">" too;
//  5. &lt; &gt; &amp; &nbsp; &quot; are decoded, in that order, each step searching again
//     from the start, so "&amp;amp;" ends as "&" but "&amp;lt;" as "&lt;";
//  6. spaces (only U+0020) are trimmed from both ends.
// Letter case of the markers is ignored; the text keeps its own letter case.
// Example: deleteHtmlTag(u"<P>Hello</P>", false, true) == "\r\nHello\r\n".
// A closing "</a>" or "</script>" with no start before it stays where it is and the cutting
// goes on after it. Runs in time linear in the input.
QString deleteHtmlTag(QStringView html, bool deleteLink, bool deleteScript);

} // namespace text
