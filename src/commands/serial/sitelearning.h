#pragma once

#include "commands/commandcontext.h"

#include <QString>
#include <QUrl>

// The corrections a user makes on a site's chapters, kept as that site's rules
// (serial/siterules.h) in the data folder's serial-sites/ for every later chapter.
namespace commands {

// "以后不保存这一块（本网站）" on the element `selector` of `page`.
void rememberDroppedBlock(CommandContext &context, const QUrl &page, const QString &selector);
// "以此链接为下一章" on a link with the visible text `text` on `page`.
void rememberNextLinkText(CommandContext &context, const QUrl &page, const QString &text);

} // namespace commands
