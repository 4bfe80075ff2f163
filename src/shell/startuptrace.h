#pragma once

// Where the time of a start goes: with LUMARO_STARTUP_TRACE naming a file, each stage of the
// start appends a line "MILLISECONDS<TAB>STAGE" to it, counted from the process's start (as
// the system records it, to a hundredth of a second). Without it nothing is done.
// Example: LUMARO_STARTUP_TRACE=/tmp/start.txt lumaro URL, then cat /tmp/start.txt.
class QByteArray;

namespace shell {
class TabManager;
}

namespace shell::startup {

void mark(const QByteArray &stage);

// Marks "page loaded ADDRESS" as each of the first tabs' pages comes (the favourites, the
// addresses handed over), while tracing.
void followFirstPages(TabManager &tabs);

} // namespace shell::startup
