#include "batchreport.h"

namespace commands {

void reportBatchSave(CommandContext &context, const saving::BatchOutcome &outcome) {
    context.panels.setPanelText(QStringLiteral("s2"),
                                saving::batchSummaryLine(outcome, context.savePath()));
    const QString details = saving::batchSummaryDetails(outcome);
    if (!details.isEmpty())
        context.dialogs.message(kNoticeCaption, details, Dialogs::Buttons::Ok);
}

} // namespace commands
