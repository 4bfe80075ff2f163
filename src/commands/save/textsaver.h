#pragma once

#include "commands/savesteps.h"

namespace commands {

// Saving pages as plain text in the default save folder: the current page (OnlySaveText,
// OnlySaveTextNotLink), the selected text only (SaveSelectText), and every open page
// (SaveAllWText, SaveAllWTextNotLink). The selection names the files.
class TextSaver {
public:
    explicit TextSaver(CommandContext &context) : m_steps(context) {}

    common::Task<> onlySaveText(bool deleteLinks);
    void saveSelectText();
    common::Task<> saveAllWText(bool deleteLinks);

    // The text of a page: its HTML converted, scripts removed, link texts too if asked.
    static QString pageText(const QString &innerHtml, bool deleteLinks);

private:
    SaveSteps m_steps;
};

} // namespace commands
