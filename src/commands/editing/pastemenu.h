#pragma once

#include "commands/commandcontext.h"
#include "common/task.h"

#include <functional>

namespace commands {

// The copy and paste buttons and the paste button's menu of texts.
class PasteMenu {
public:
    // `addEntry` adds an entry (key and caption) to the paste menu, `clear` empties it.
    PasteMenu(CommandContext &context,
              std::function<bool(const QString &, const QString &)> addEntry,
              std::function<void()> clear);

    void copyToMenu();                              // copy: the selection, else the address
    void addressToMenu();                           // savehtom
    common::Task<> pasteClipboard();                // paste
    common::Task<> pasteIntoField(QString caption); // the menu's texts
    void clear();                                   // deletealltool

private:
    CommandContext &m_context;
    std::function<bool(const QString &, const QString &)> m_addEntry;
    std::function<void()> m_clear;
};

} // namespace commands
