#pragma once

#include <QString>

// The HTML-to-text conversion done literally, step by step: the text and its lower-cased
// copy are rebuilt after every substitution. Slow (quadratic); the fast conversion must give
// exactly the same results.
QString referenceDeleteHtmlTag(const QString &html, bool deleteLink, bool deleteScript);
