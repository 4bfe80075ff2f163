#pragma once

#include "commands/dialogs.h"

#include <QList>
#include <QStringList>

namespace testing_support {

// Dialogs with scripted answers; every message shown is recorded.
class FakeDialogs : public commands::Dialogs {
public:
    struct Shown {
        QString caption;
        QString text;
        Buttons buttons;
    };

    Answer message(const QString &caption, const QString &text, Buttons buttons) override {
        shown.append({caption, text, buttons});
        if (whileMessage) {
            const std::function<void()> hook = whileMessage; // it may replace itself
            hook();
        }
        if (!answers.isEmpty())
            return answers.takeFirst();
        return buttons == Buttons::YesNo ? Answer::Yes : Answer::Ok;
    }
    OverwriteAnswer askOverwrite(const QString &fileName) override {
        overwriteAsked.append(fileName);
        return overwriteAnswers.isEmpty() ? OverwriteAnswer::Overwrite
                                          : overwriteAnswers.takeFirst();
    }
    QString chooseFolder(const QString &title, const QString &) override {
        asked.append(title);
        return folders.isEmpty() ? QString() : folders.takeFirst();
    }
    QString chooseFile(const QString &title, const QString &, const QString &) override {
        asked.append(title);
        return files.isEmpty() ? QString() : files.takeFirst();
    }
    QString chooseSaveFile(const QString &title, const QString &proposed, const QString &filter,
                           QString *chosenFilter = nullptr) override {
        asked.append(title);
        proposedFiles.append(proposed);
        offeredFilters.append(filter);
        if (chosenFilter) // the first form offered, unless a test chose another
            *chosenFilter =
                filterChoices.isEmpty() ? filter.section(";;", 0, 0) : filterChoices.takeFirst();
        return files.isEmpty() ? QString() : files.takeFirst();
    }
    std::optional<QString> inputText(const QString &caption, const QString &prompt,
                                     const QString &proposed) override {
        asked.append(caption + ":" + prompt);
        proposedTexts.append(proposed);
        if (inputs.isEmpty())
            return std::nullopt;
        return inputs.takeFirst();
    }

    void showSource(const QString &caption, const QString &source) override {
        sources.append({caption, source});
    }
    void showSaveTextDialog(std::function<bool(const QString &, const QString &)> save) override {
        saveText = std::move(save);
    }
    std::optional<std::pair<QString, QString>> askExtractionMarkers() override {
        asked.append("exfilename");
        if (markers.isEmpty())
            return std::nullopt;
        return markers.takeFirst();
    }
    std::optional<std::pair<QString, QString>> askLink(const QString &address,
                                                       const QString &comment) override {
        linkAsked.append({address, comment});
        if (whileLinkAsked)
            whileLinkAsked();
        if (links.isEmpty())
            return std::nullopt;
        return links.takeFirst();
    }
    void editTemplate(
        const QString &name, const QList<editing::TemplateItem> &items,
        std::function<bool(const QString &, const QList<editing::TemplateItem> &)> save) override {
        templateShown = {name, items};
        templateEditor = std::move(save);
    }
    std::optional<Login> askLogin(const QUrl &url, const QString &realm) override {
        asked.append("login:" + url.host() + ":" + realm);
        if (logins.isEmpty())
            return std::nullopt;
        return logins.takeFirst();
    }
    bool askCertificateException(const QUrl &url, const QString &) override {
        asked.append("certificate:" + url.host());
        return goOnDespiteCertificate;
    }

    QStringList messageTexts() const {
        QStringList texts;
        for (const Shown &s : shown)
            texts.append(s.text);
        return texts;
    }

    QList<Answer> answers;
    QList<std::optional<Login>> logins;
    bool goOnDespiteCertificate = false;
    QList<OverwriteAnswer> overwriteAnswers;
    QStringList overwriteAsked; // the file names the overwrite question named
    QStringList folders;
    QStringList proposedFiles;  // the paths the save-file chooser proposed
    QStringList offeredFilters; // the forms it offered
    QStringList filterChoices;  // the forms chosen in it, in turn
    QStringList files;
    QList<std::optional<QString>> inputs;
    QStringList proposedTexts; // what each text question offered
    QList<Shown> shown;
    QStringList asked;
    QList<QPair<QString, QString>> sources;
    std::function<bool(const QString &, const QString &)> saveText; // the open text dialog
    QList<std::pair<QString, QString>> markers;
    QList<std::optional<std::pair<QString, QString>>> links; // answers of the link dialog
    QList<std::pair<QString, QString>> linkAsked;
    std::function<void()> whileLinkAsked; // what happens elsewhere while the dialog is open
    std::function<void()> whileMessage;   // what happens elsewhere while a message is shown
    std::function<bool(const QString &, const QList<editing::TemplateItem> &)>
        templateEditor;                                             // open editor
    std::pair<QString, QList<editing::TemplateItem>> templateShown; // what it showed
};

} // namespace testing_support
