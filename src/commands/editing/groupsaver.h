#pragma once

#include "commands/savesteps.h"
#include "common/programfolder.h"

#include <functional>

namespace commands {

// save_group: the addresses of every open tab, in tab order, kept as a group file
// (group/NAME.txt) that its "opengroup_" entry opens again.
class GroupSaver {
public:
    // `addGroupEntry(key, caption)` adds an entry to the savegroup button's menu; false when
    // the key is there already.
    GroupSaver(CommandContext &context, const common::ProgramFolder &folder,
               std::function<bool(const QString &, const QString &)> addGroupEntry);

    void saveGroup();

private:
    std::optional<QString> askName();

    CommandContext &m_context;
    common::ProgramFolder m_folder;
    std::function<bool(const QString &, const QString &)> m_addGroupEntry;
};

} // namespace commands
