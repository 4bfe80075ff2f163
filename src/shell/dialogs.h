#pragma once

#include <QString>

#include <optional>

namespace shell {

// Everything the commands ask the user, and every message they show. The program uses
// QtDialogs; tests use a fake with scripted answers that records what was shown.
class Dialogs {
public:
    enum class Buttons { Ok, OkCancel, YesNo };
    enum class Answer { Ok, Cancel, Yes, No };

    virtual ~Dialogs() = default;

    // A modal message box. An empty caption shows the program's name.
    virtual Answer message(const QString &caption, const QString &text, Buttons buttons) = 0;
    // A folder chooser; an empty text when cancelled.
    virtual QString chooseFolder(const QString &title, const QString &startFolder) = 0;
    // A file chooser for opening; an empty text when cancelled.
    virtual QString chooseFile(const QString &title, const QString &startFolder,
                               const QString &filter) = 0;
    // A file chooser for saving; an empty text when cancelled.
    virtual QString chooseSaveFile(const QString &title, const QString &suggestedPath,
                                   const QString &filter) = 0;
    // A one-line input box; no value when cancelled.
    virtual std::optional<QString> inputText(const QString &caption, const QString &prompt,
                                             const QString &defaultText) = 0;
};

} // namespace shell
