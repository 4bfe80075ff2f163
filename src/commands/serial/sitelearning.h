#pragma once

#include "commands/commandcontext.h"

#include <QString>
#include <QUrl>

// The corrections a user makes on a site's chapters, kept as that site's rules
// (serial/siterules.h) in the data folder's serial-sites/ for every later chapter.
namespace commands {

// "以后不保存这一块（本网站）" on the element `selector` of `page`, or, inside the story, on
// the line `line` (kept as the beginning of lines to leave out). Says in s2 what was learned.
void rememberDroppedBlock(CommandContext &context, const QUrl &page, const QString &selector,
                          const QString &line = QString());
// "以此链接为下一章" on a link with the visible text `text` on `page`.
void rememberNextLinkText(CommandContext &context, const QUrl &page, const QString &text);

} // namespace commands
