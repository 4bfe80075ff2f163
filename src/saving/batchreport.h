#pragma once

#include "batchoutcome.h"
#include "commands/commandcontext.h"

namespace saving {

// The end of a batch save: its summary line in s2, and one message listing what was not
// saved (failed, no file name, skipped, left when stopped) when anything was not.
void reportBatchSave(shell::CommandContext &context, const BatchOutcome &outcome);

} // namespace saving
