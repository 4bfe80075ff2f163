#pragma once

#include <QString>

// Which operation a toolbar button or a drop-down menu entry runs, decided from its key
// alone. The menu routes are tested in a fixed order (see menuroutes.cpp): the first match
// wins, so a copied text "help" in the paste menu opens the help page.
namespace shell {

enum class Operation {
    None,           // matches, and does nothing
    PasteIntoField, // the default branch: the entry's caption goes into the focused field
    Placeholder,    // a message box with the key's placeholder text
    // Help and site pages
    HelpPage,
    Origin,
    SiteSearch1,
    SiteSearch2,
    // Tabs
    DeleteThis,
    DeleteAll,
    DeleteFromHard,
    // Navigation buttons
    Back,
    Forward,
    Stop,
    Refresh,
    Home,
    // Page saving
    OnlySave,
    OnlySaveXJ,
    SaveAllW,
    SaveAddFull,
    SaveTextDialog,
    BeginSave,
    BeginSave2,
    SaveSelectText,
    OnlySaveText,
    OnlySaveTextNotLink,
    SaveAllWText,
    SaveAllWTextNotLink,
    SetSavePath,
    CreateFolder,
    // Links
    SaveE,
    SaveEAllTabs,
    OpenEmailFile,
    SaveEtoM,
    SaveCurrentToLink,
    SaveToHref,
    SaveSydz,
    OpenHardWebPage,
    OpenM,
    OpenFurl,
    OpenMkw,
    OpenLink,
    OpenAllWFromC,
    OpenPageA,
    OpenAllXFromC,
    OpenAllJFromC,
    OpenSelectA,
    // Editing, templates, groups
    DeleteSelectFromC,
    DeleteSelect,
    SetInputForm,
    ClearPasteMenu,
    LoadTemplate,
    FillTemplate,
    EditTemplate,
    PasteTemplateItem,
    OpenGroup,
    // Saving a serial chapter by chapter
    SerialStart,
    SerialStop,
    SerialResume,
    SerialBook,
    // Copy and paste buttons
    CopyToPasteMenu,
    PasteClipboard,
};

struct Route {
    Operation operation = Operation::None;
    QString argument; // the name after a prefix ("add_" + name), or the placeholder text
};

// The operation of a drop-down menu entry, by its key. Keys that match nothing take the
// default branch (PasteIntoField).
Route routeMenuKey(const QString &key);

// The operation of a toolbar button's own click; None for toggles and unknown keys.
Operation routeButtonKey(const QString &key);

} // namespace shell
