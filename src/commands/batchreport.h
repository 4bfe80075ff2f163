#pragma once

#include "commands/commandcontext.h"
#include "saving/batchoutcome.h"

namespace commands {

// The end of a batch save: its summary line in s2, and one message listing what was not
// saved (failed, no file name, skipped, left when stopped) when anything was not.
void reportBatchSave(CommandContext &context, const saving::BatchOutcome &outcome);

} // namespace commands
