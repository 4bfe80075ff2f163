#pragma once

#include <QString>

namespace saving {

// The file of `folder` whose name equals `fileName` ignoring letter case, among the files
// with the same extension (".htm" looks at *.htm only); an empty text when there is none.
// Example: with "Report.HTM" in the folder, existingFileName(folder, "report.htm") gives
// "Report.HTM".
QString existingFileName(const QString &folder, const QString &fileName);

} // namespace saving
