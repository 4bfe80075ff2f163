#pragma once

#include "commands/savesteps.h"
#include "saving/wholepage.h"

#include <memory>

namespace saving {
class ResourceCache;
}

namespace commands {

// Keeping pages whole, each in one UTF-8 .html file that reads the same offline in any
// browser: its pictures, style sheets, fonts and frames put in, nothing in it that runs or
// fetches. The current page (savewhole, named like OnlySave), every open page (saveallwhole,
// like SaveAllW), and the current page into a file the user chose (saveadd's one-file form).
class WholePageSaver {
public:
    explicit WholePageSaver(CommandContext &context) : m_steps(context) {}

    common::Task<> saveWhole();
    common::Task<> saveAllWhole();
    common::Task<> saveWholeTo(QPointer<browser::BrowserView> view, QString path);

private:
    // The page's file, or nothing when the page gave nothing to keep.
    common::Task<std::optional<saving::WholePageFile>>
    makeFile(QPointer<browser::BrowserView> view, std::shared_ptr<saving::ResourceCache> cache);

    // The same for the shown page, saying that it is being saved, and when it gave nothing.
    common::Task<std::optional<saving::WholePageFile>>
    makeShownFile(QPointer<browser::BrowserView> view);
    common::Task<std::optional<SaveSteps::BatchFile>>
    prepareBatchFile(BatchTab tab, saving::BatchOutcome &outcome,
                     std::shared_ptr<saving::ResourceCache> cache);

    SaveSteps m_steps;
};

} // namespace commands
