#pragma once

#include "epubtext.h"

namespace fulltext {

// What the index reads of a PDF (those printed with 打印为PDF, and any other): its title from
// its metadata and the text of every page, page after page. A file that is no readable PDF
// gives ok == false; at most kMaxEpubTextBytes of text are kept.
EpubText readPdfText(const QString &path);

} // namespace fulltext
