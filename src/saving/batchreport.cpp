#include "batchreport.h"

namespace saving {

void reportBatchSave(shell::CommandContext &context, const BatchOutcome &outcome) {
    context.panels.setPanelText(QStringLiteral("s2"),
                                batchSummaryLine(outcome, context.savePath()));
    const QString details = batchSummaryDetails(outcome);
    if (!details.isEmpty())
        context.dialogs.message(shell::kNoticeCaption, details, shell::Dialogs::Buttons::Ok);
}

} // namespace saving
