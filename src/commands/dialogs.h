#pragma once

#include "browser/pagedialogs.h"
#include "editing/templates.h"

#include <QString>

#include <functional>
#include <optional>
#include <utility>

namespace commands {

// The caption of the program's notices and warnings.
inline const QString kNoticeCaption = QStringLiteral("提示");

// Everything the commands ask the user, and every message they show. The program uses
// QtDialogs; tests use a fake with scripted answers that records what was shown. The pages'
// own questions (login, certificate) come through the same object.
class Dialogs : public browser::PageDialogs {
public:
    // RetryQuit: "重试", "不保存，退出" and "取消".
    enum class Buttons { Ok, OkCancel, YesNo, RetryQuit };
    enum class Answer { Ok, Cancel, Yes, No, Retry, Quit };
    // The answers to the overwrite question of a batch; closing the question is Skip.
    enum class OverwriteAnswer { Overwrite, OverwriteAll, Skip, SkipAll, Numbered };

    virtual ~Dialogs() = default;

    // A modal message box. An empty caption shows the program's name.
    virtual Answer message(const QString &caption, const QString &text, Buttons buttons) = 0;
    // The question before a batch replaces the file `fileName`: 覆盖 / 全部覆盖 / 跳过 /
    // 全部跳过 / 另存为编号文件名.
    virtual OverwriteAnswer askOverwrite(const QString &fileName) = 0;
    // A folder chooser; an empty text when cancelled.
    virtual QString chooseFolder(const QString &title, const QString &startFolder) = 0;
    // A file chooser for opening; an empty text when cancelled.
    virtual QString chooseFile(const QString &title, const QString &startFolder,
                               const QString &filter) = 0;
    // A file chooser for saving; an empty text when cancelled. `filter` may offer several
    // forms (";;" between them): `chosenFilter`, when given, receives the one chosen.
    virtual QString chooseSaveFile(const QString &title, const QString &suggestedPath,
                                   const QString &filter, QString *chosenFilter = nullptr) = 0;
    // A one-line input box; no value when cancelled.
    virtual std::optional<QString> inputText(const QString &caption, const QString &prompt,
                                             const QString &defaultText) = 0;
    // The page-source viewer: a read-only text with the buttons "确定" and "取消".
    virtual void showSource(const QString &caption, const QString &source) = 0;
    // The plain-text dialog, not modal: `save` is called with its title and content when the
    // user asks to save; it answers whether the dialog may close.
    virtual void showSaveTextDialog(std::function<bool(const QString &, const QString &)> save) = 0;
    // The dialog that defines the file-name extraction rule: the HTML before and after the
    // name, shown with the example texts; no value when cancelled.
    virtual std::optional<std::pair<QString, QString>> askExtractionMarkers() = 0;
    // The link dialog of the favourites page ("请输入信息"): the address and the comment,
    // filled in with the values given; no value when cancelled.
    virtual std::optional<std::pair<QString, QString>> askLink(const QString &address,
                                                               const QString &comment) = 0;
    // The template editor ("设置填表模板"), showing `name` and `items` (empty for a new
    // template). `save` is asked to keep what the user wrote and answers whether the editor
    // may close.
    virtual void editTemplate(
        const QString &name, const QList<editing::TemplateItem> &items,
        std::function<bool(const QString &, const QList<editing::TemplateItem> &)> save) = 0;
};

} // namespace commands
