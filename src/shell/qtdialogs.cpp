#include "qtdialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>

namespace shell {

Dialogs::Answer QtDialogs::message(const QString &caption, const QString &text, Buttons buttons) {
    QMessageBox box(m_owner);
    box.setWindowTitle(caption.isEmpty() ? QStringLiteral("Lumaro浏览器 V2.0") : caption);
    box.setText(text);
    QList<QPair<QAbstractButton *, Answer>> answers;
    const auto add = [&](const QString &label, QMessageBox::ButtonRole role, Answer answer) {
        answers.append({box.addButton(label, role), answer});
    };
    switch (buttons) {
    case Buttons::Ok:
        add(QStringLiteral("确定"), QMessageBox::AcceptRole, Answer::Ok);
        break;
    case Buttons::OkCancel:
        add(QStringLiteral("确定"), QMessageBox::AcceptRole, Answer::Ok);
        add(QStringLiteral("取消"), QMessageBox::RejectRole, Answer::Cancel);
        break;
    case Buttons::YesNo:
        add(QStringLiteral("是"), QMessageBox::YesRole, Answer::Yes);
        add(QStringLiteral("否"), QMessageBox::NoRole, Answer::No);
        break;
    }
    box.exec();
    for (const auto &[button, answer] : answers) {
        if (box.clickedButton() == button)
            return answer;
    }
    // Closed with Escape or the window's close button.
    return buttons == Buttons::YesNo ? Answer::No : Answer::Cancel;
}

QString QtDialogs::chooseFolder(const QString &title, const QString &startFolder) {
    return QFileDialog::getExistingDirectory(m_owner, title, startFolder);
}

QString QtDialogs::chooseFile(const QString &title, const QString &startFolder,
                              const QString &filter) {
    return QFileDialog::getOpenFileName(m_owner, title, startFolder, filter);
}

QString QtDialogs::chooseSaveFile(const QString &title, const QString &suggestedPath,
                                  const QString &filter) {
    return QFileDialog::getSaveFileName(m_owner, title, suggestedPath, filter);
}

std::optional<QString> QtDialogs::inputText(const QString &caption, const QString &prompt,
                                            const QString &defaultText) {
    bool ok = false;
    const QString text = QInputDialog::getText(m_owner, caption, prompt, QLineEdit::Normal,
                                               defaultText, &ok);
    if (!ok)
        return std::nullopt;
    return text;
}

} // namespace shell
