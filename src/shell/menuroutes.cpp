#include "menuroutes.h"

#include <QList>

namespace shell {

namespace {

struct Entry {
    const char *key;
    Operation operation;
    const char *placeholder = nullptr;
};

// The exact keys, in the order they are tested.
const QList<Entry> &exactRoutes() {
    using O = Operation;
    static const QList<Entry> routes = {
        {"a_site", O::SiteSearch1},
        {"a_site1", O::SiteSearch2},
        {"help", O::HelpPage},
        {"origin", O::Origin},
        {"deleteselectfromc", O::DeleteSelectFromC},
        {"deleteselectfromc2", O::Placeholder, "deleteselectfromc2"},
        {"deleteselectfromall", O::Placeholder, "deleteselectfromc3"},
        {"deleteselectfromall2", O::Placeholder, "deleteselectfromc4"},
        {"deleteselect", O::DeleteThis},
        {"deletealls", O::DeleteAll},
        {"deletefromharddisk", O::DeleteFromHard},
        {"deletealltool", O::ClearPasteMenu},
        {"addt", O::SetInputForm},
        {"opensallp", O::OpenSelectA},
        {"opensallz", O::None},
        {"opensallx", O::None},
        {"opensallj", O::None},
        {"opensallzip", O::None},
        {"openallw", O::OpenAllWFromC},
        {"opencwpallwz", O::OpenPageA},
        {"openallx", O::OpenAllXFromC},
        {"openallj", O::OpenAllJFromC},
        {"openallzip", O::Placeholder, "OpenAllZip"},
        {"openhw", O::OpenHardWebPage},
        {"openm", O::OpenM},
        {"openfall", O::OpenFurl},
        {"openmkw", O::OpenMkw},
        {"savehtol", O::SaveCurrentToLink},
        {"savehref", O::SaveToHref},
        {"savetolink", O::None},
        {"savexd", O::None},
        {"savejd", O::None},
        {"savehtom", O::None},
        {"savesydz", O::SaveSydz},
        {"savece", O::SaveE},
        {"saveee", O::SaveEAllTabs},
        {"openemail", O::OpenEmailFile},
        {"saveetom", O::SaveEtoM},
        {"beginsave", O::BeginSave},
        {"beginsave2", O::BeginSave2},
        {"savetxt1", O::SaveTextDialog},
        {"onlysave", O::OnlySave},
        {"onlysave_x_j", O::OnlySaveXJ},
        {"saveallo", O::SaveAllW},
        {"savetext", O::OnlySaveText},
        {"savetextnotlink", O::OnlySaveTextNotLink},
        {"savealltext", O::SaveAllWText},
        {"savealltextnotlink", O::SaveAllWTextNotLink},
        {"savestext", O::SaveSelectText},
        {"setsavepath", O::SetSavePath},
        {"createfolder", O::CreateFolder},
        {"serialstart", O::SerialStart},
        {"serialstop", O::SerialStop},
        {"serialresume", O::SerialResume},
        {"serialbook", O::SerialBook},
    };
    return routes;
}

// Then the prefixes, in this order.
const QList<Entry> &prefixRoutes() {
    using O = Operation;
    static const QList<Entry> routes = {
        {"add_", O::LoadTemplate},           {"opengroup_", O::OpenGroup},
        {"all_", O::FillTemplate},           {"delete_", O::EditTemplate},
        {"template_", O::PasteTemplateItem},
    };
    return routes;
}

} // namespace

Route routeMenuKey(const QString &key) {
    for (const Entry &entry : exactRoutes()) {
        if (key == QLatin1String(entry.key))
            return {entry.operation,
                    entry.placeholder ? QString::fromLatin1(entry.placeholder) : QString()};
    }
    for (const Entry &entry : prefixRoutes()) {
        const QLatin1String prefix(entry.key);
        if (key.startsWith(prefix))
            return {entry.operation, key.mid(prefix.size())};
    }
    return {Operation::PasteIntoField, QString()};
}

Operation routeButtonKey(const QString &key) {
    using O = Operation;
    static const QList<Entry> buttons = {
        {"back", O::Back},
        {"pre", O::Forward},
        {"stop", O::Stop},
        {"refresh", O::Refresh},
        {"home", O::Home},
        {"save", O::OnlySave},
        {"saveadd", O::SaveAddFull},
        {"serial", O::SerialStart},
        {"savee", O::SaveE},
        {"savectolink", O::SaveCurrentToLink},
        {"savegroup", O::None},
        {"openh", O::OpenHardWebPage},
        {"openl", O::OpenLink},
        {"opena", O::OpenAllWFromC},
        {"opens", O::OpenSelectA},
        {"inputform", O::SetInputForm},
        {"copy", O::CopyToPasteMenu},
        {"paste", O::PasteClipboard},
        {"delete", O::DeleteSelect},
        {"help", O::HelpPage},
    };
    for (const Entry &entry : buttons) {
        if (key == QLatin1String(entry.key))
            return entry.operation;
    }
    return O::None;
}

} // namespace shell
