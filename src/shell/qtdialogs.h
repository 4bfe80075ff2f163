#pragma once

#include "commands/dialogs.h"

class QWidget;

namespace shell {

// Raises the question the window is waiting on, if any, over the main window.
void raiseOpenQuestion();

// The dialogs on Qt's own message boxes, file dialogs and input box.
class QtDialogs : public commands::Dialogs {
public:
    explicit QtDialogs(QWidget *owner) : m_owner(owner) {}

    Answer message(const QString &caption, const QString &text, Buttons buttons) override;
    OverwriteAnswer askOverwrite(const QString &fileName) override;
    QString chooseFolder(const QString &title, const QString &startFolder) override;
    QString chooseFile(const QString &title, const QString &startFolder,
                       const QString &filter) override;
    QString chooseSaveFile(const QString &title, const QString &suggestedPath,
                           const QString &filter, QString *chosenFilter = nullptr) override;
    std::optional<QString> inputText(const QString &caption, const QString &prompt,
                                     const QString &defaultText) override;
    void showSource(const QString &caption, const QString &source) override;
    void showSaveTextDialog(std::function<bool(const QString &, const QString &)> save) override;
    void editTemplate(
        const QString &name, const QList<editing::TemplateItem> &items,
        std::function<bool(const QString &, const QList<editing::TemplateItem> &)> save) override;
    std::optional<std::pair<QString, QString>> askExtractionMarkers() override;
    std::optional<std::pair<QString, QString>> askLink(const QString &address,
                                                       const QString &comment) override;
    std::optional<Login> askLogin(const QUrl &url, const QString &realm) override;
    bool askCertificateException(const QUrl &url, const QString &problem) override;

private:
    QWidget *m_owner;
};

} // namespace shell
