#pragma once

#include "commands/savesteps.h"
#include "common/programfolder.h"

#include <functional>

namespace browser {
class BrowserView;
}

namespace editing {
struct TemplateItem;
}

namespace commands {

// Deleting selected text from pages, form-fill templates and group files.
class EditingCommands {
public:
    // `addMenuEntry(button, key, caption)` adds an entry to a toolbar button's menu; false
    // when the key is there already. `favouritesUrl` is the favourites page's address.
    EditingCommands(
        CommandContext &context, const common::ProgramFolder &folder,
        std::function<bool(const QString &, const QString &, const QString &)> addMenuEntry);

    common::Task<> deleteSelectFromPage(); // DeleteSelectFromC
    void deleteSelectFromFavourites();     // DeleteSelect

    // The template editor's result: written to inputtemplate/NAME.ini and its three menu
    // entries added. False (the editor stays open) for a name or items the file cannot hold,
    // and when the user does not want an existing template of that name replaced (not asked
    // when `replacing` it: the template being changed).
    bool saveTemplate(const QString &name, const QList<editing::TemplateItem> &items,
                      bool replacing = false);
    void loadTemplate(const QString &name);    // add_ + name
    common::Task<> fillTemplate(QString name); // all_ + name
    void editTemplate(const QString &name);    // delete_ + name
    // template_ + name + "_之_" + item (after "template_")
    common::Task<> pasteTemplateItem(QString key);

    common::Task<> openGroup(QString name); // opengroup_ + name

private:
    std::optional<QString> readOrSay(const QString &path, const QString &what);
    QString templatePath(const QString &name) const;

    CommandContext &m_context;
    common::ProgramFolder m_folder;
    SaveSteps m_steps;
    std::function<bool(const QString &, const QString &, const QString &)> m_addMenuEntry;
};

} // namespace commands
