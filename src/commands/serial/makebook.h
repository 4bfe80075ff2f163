#pragma once

#include "commands/commandcontext.h"

namespace commands {

// 合并成一本书: asks for a series folder and writes NAME.txt and NAME.epub beside it, then says
// how many chapters the book has (or why it could not be made).
void makeBookOfFolder(CommandContext &context);

} // namespace commands
