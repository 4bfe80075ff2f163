#include "batchreport.h"

namespace commands {

void reportBatchSave(CommandContext &context, const saving::BatchOutcome &outcome) {
    context.panels.setPanelText(Panel::Message,
                                saving::batchSummaryLine(outcome, context.savePath()));
    const QString details = saving::batchSummaryDetails(outcome);
    if (!details.isEmpty())
        context.dialogs.message(kNoticeCaption, details, Dialogs::Buttons::Ok);
}

} // namespace commands
