#include "qtdialogs.h"

#include "editing/templateeditor.h"

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

namespace shell {

using commands::Dialogs;

namespace {

// Without a window manager a new window can open under the main window, which then says it
// is busy with a question nobody sees: every question is raised over it as it shows.
int ask(QDialog &dialog) {
    dialog.show();
    dialog.raise();
    dialog.activateWindow();
    return dialog.exec();
}

QString askForFile(QFileDialog &dialog) {
    return ask(dialog) == QDialog::Accepted ? dialog.selectedFiles().value(0) : QString();
}

} // namespace

void raiseOpenQuestion() {
    if (QWidget *question = QApplication::activeModalWidget()) {
        question->raise();
        question->activateWindow();
    }
}

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
    case Buttons::RetryQuit:
        add(QStringLiteral("重试"), QMessageBox::AcceptRole, Answer::Retry);
        add(QStringLiteral("不保存，退出"), QMessageBox::DestructiveRole, Answer::Quit);
        add(QStringLiteral("取消"), QMessageBox::RejectRole, Answer::Cancel);
        break;
    }
    ask(box);
    for (const auto &[button, answer] : answers) {
        if (box.clickedButton() == button)
            return answer;
    }
    // Closed with Escape or the window's close button.
    return buttons == Buttons::YesNo ? Answer::No : Answer::Cancel;
}

QString QtDialogs::chooseFolder(const QString &title, const QString &startFolder) {
    QFileDialog dialog(m_owner, title, startFolder);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    return askForFile(dialog);
}

QString QtDialogs::chooseFile(const QString &title, const QString &startFolder,
                              const QString &filter) {
    QFileDialog dialog(m_owner, title, startFolder, filter);
    dialog.setFileMode(QFileDialog::ExistingFile);
    return askForFile(dialog);
}

QString QtDialogs::chooseSaveFile(const QString &title, const QString &suggestedPath,
                                  const QString &filter, QString *chosenFilter) {
    QFileDialog dialog(m_owner, title, QFileInfo(suggestedPath).absolutePath(), filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.selectFile(QFileInfo(suggestedPath).fileName());
    const QString path = askForFile(dialog);
    if (chosenFilter)
        *chosenFilter = dialog.selectedNameFilter();
    return path;
}

std::optional<QString> QtDialogs::inputText(const QString &caption, const QString &prompt,
                                            const QString &defaultText) {
    QInputDialog dialog(m_owner);
    dialog.setWindowTitle(caption);
    dialog.setLabelText(prompt);
    dialog.setTextValue(defaultText);
    dialog.setOkButtonText(QStringLiteral("确定"));
    dialog.setCancelButtonText(QStringLiteral("取消"));
    if (ask(dialog) != QDialog::Accepted)
        return std::nullopt;
    return dialog.textValue();
}

void QtDialogs::showSource(const QString &caption, const QString &source) {
    QDialog dialog(m_owner);
    dialog.setWindowTitle(caption);
    dialog.resize(900, 600);
    auto *layout = new QVBoxLayout(&dialog);
    auto *text = new QPlainTextEdit(source, &dialog);
    text->setObjectName(QStringLiteral("Text1"));
    text->setReadOnly(true);
    layout->addWidget(text);
    auto *buttons = new QDialogButtonBox(&dialog);
    buttons->addButton(QStringLiteral("确定"), QDialogButtonBox::AcceptRole);
    buttons->addButton(QStringLiteral("取消"), QDialogButtonBox::RejectRole);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addWidget(buttons);
    ask(dialog);
}

void QtDialogs::showSaveTextDialog(std::function<bool(const QString &, const QString &)> save) {
    auto *dialog = new QDialog(m_owner);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowTitle(QStringLiteral("保存纯文本"));
    dialog->resize(640, 480);
    auto *layout = new QVBoxLayout(dialog);
    auto *title = new QLineEdit(QStringLiteral("文章标题"), dialog);
    title->setObjectName(QStringLiteral("Text1"));
    auto *content = new QPlainTextEdit(QStringLiteral("文章内容"), dialog);
    content->setObjectName(QStringLiteral("Text2"));
    layout->addWidget(title);
    layout->addWidget(content, 1);
    auto *buttons = new QDialogButtonBox(dialog);
    QPushButton *ok =
        buttons->addButton(QStringLiteral("保存到默认路径"), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("OKButton"));
    buttons->addButton(QStringLiteral("取消"), QDialogButtonBox::RejectRole)
        ->setObjectName(QStringLiteral("CancelButton"));
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, [=] {
        if (save(title->text(), content->toPlainText()))
            dialog->close();
    });
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::close);
    layout->addWidget(buttons);
    dialog->show();
}

Dialogs::OverwriteAnswer QtDialogs::askOverwrite(const QString &fileName) {
    QMessageBox box(QMessageBox::Question, QStringLiteral("文件已经存在"),
                    QStringLiteral("“%1”已经存在，是否要覆盖？").arg(fileName),
                    QMessageBox::NoButton, m_owner);
    const std::pair<const char16_t *, OverwriteAnswer> choices[] = {
        {u"覆盖", OverwriteAnswer::Overwrite},
        {u"全部覆盖", OverwriteAnswer::OverwriteAll},
        {u"跳过", OverwriteAnswer::Skip},
        {u"全部跳过", OverwriteAnswer::SkipAll},
        {u"另存为编号文件名", OverwriteAnswer::Numbered},
    };
    QList<std::pair<QAbstractButton *, OverwriteAnswer>> buttons;
    for (const auto &[caption, answer] : choices)
        buttons.append(
            {box.addButton(QString::fromUtf16(caption), QMessageBox::ActionRole), answer});
    box.setEscapeButton(buttons[2].first);
    box.setDefaultButton(static_cast<QPushButton *>(buttons[2].first));
    ask(box);
    for (const auto &[button, answer] : buttons) {
        if (box.clickedButton() == button)
            return answer;
    }
    return OverwriteAnswer::Skip;
}

std::optional<std::pair<QString, QString>> QtDialogs::askExtractionMarkers() {
    QDialog dialog(m_owner);
    dialog.setObjectName(QStringLiteral("exfilename"));
    dialog.setWindowTitle(QStringLiteral("定义提取文件名的方式"));
    dialog.resize(520, 200);
    auto *layout = new QVBoxLayout(&dialog);
    layout->addWidget(
        new QLabel(QStringLiteral("文件名前面的HTML代码：(下面是例子改成自己的)"), &dialog));
    auto *before = new QLineEdit(QStringLiteral("<FONT color=#0000ff size=4><B>"), &dialog);
    before->setObjectName(QStringLiteral("Text1"));
    layout->addWidget(before);
    layout->addWidget(
        new QLabel(QStringLiteral("文件名后面的HTML代码：(下面是例子改成自己的)"), &dialog));
    auto *after = new QLineEdit(QStringLiteral("</B></FONT>"), &dialog);
    after->setObjectName(QStringLiteral("Text2"));
    layout->addWidget(after);
    auto *buttons = new QDialogButtonBox(&dialog);
    buttons->addButton(QStringLiteral("确定"), QDialogButtonBox::AcceptRole)
        ->setObjectName("OKButton");
    buttons->addButton(QStringLiteral("取消"), QDialogButtonBox::RejectRole)
        ->setObjectName("CancelButton");
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addWidget(buttons);
    if (ask(dialog) != QDialog::Accepted)
        return std::nullopt;
    return std::make_pair(before->text(), after->text());
}

std::optional<std::pair<QString, QString>> QtDialogs::askLink(const QString &address,
                                                              const QString &comment) {
    QDialog dialog(m_owner);
    dialog.setObjectName(QStringLiteral("frmLogin"));
    dialog.setWindowTitle(QStringLiteral("请输入信息"));
    dialog.resize(560, 150);
    auto *layout = new QFormLayout(&dialog);
    auto *addressField = new QLineEdit(address, &dialog);
    addressField->setObjectName(QStringLiteral("Text1"));
    auto *commentField = new QLineEdit(comment, &dialog);
    commentField->setObjectName(QStringLiteral("Text2"));
    layout->addRow(QStringLiteral("链接地址:*"), addressField);
    layout->addRow(QStringLiteral("链接说明:"), commentField);
    auto *buttons = new QDialogButtonBox(&dialog);
    buttons->addButton(QStringLiteral("确定"), QDialogButtonBox::AcceptRole);
    buttons->addButton(QStringLiteral("取消"), QDialogButtonBox::RejectRole);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addRow(buttons);
    if (ask(dialog) != QDialog::Accepted)
        return std::nullopt;
    return std::make_pair(addressField->text(), commentField->text());
}

void QtDialogs::editTemplate(
    const QString &templateName, const QList<editing::TemplateItem> &items,
    std::function<bool(const QString &, const QList<editing::TemplateItem> &)> save) {
    QDialog dialog(m_owner);
    dialog.setObjectName(QStringLiteral("frmInput"));
    dialog.setWindowTitle(QStringLiteral("设置填表模板"));
    dialog.resize(520, 220);
    auto *layout = new QFormLayout(&dialog);
    auto *name = new QLineEdit(&dialog);
    name->setObjectName(QStringLiteral("Text3"));
    auto *number = new QLabel(QStringLiteral("第1项"), &dialog);
    auto *itemName = new QLineEdit(&dialog);
    itemName->setObjectName(QStringLiteral("Text1"));
    auto *itemContent = new QLineEdit(&dialog);
    itemContent->setObjectName(QStringLiteral("Text2"));
    layout->addRow(QStringLiteral("模板名称:"), name);
    layout->addRow(number);
    layout->addRow(QStringLiteral("项目名称:"), itemName);
    layout->addRow(QStringLiteral("项目内容:"), itemContent);
    auto *buttons = new QDialogButtonBox(&dialog);
    QPushButton *previous =
        buttons->addButton(QStringLiteral("上一项"), QDialogButtonBox::ActionRole);
    QPushButton *next = buttons->addButton(QStringLiteral("下一项"), QDialogButtonBox::ActionRole);
    buttons->addButton(QStringLiteral("确定"), QDialogButtonBox::AcceptRole);
    buttons->addButton(QStringLiteral("取消"), QDialogButtonBox::RejectRole);
    layout->addRow(buttons);

    editing::TemplateEditorState state(items);
    name->setText(templateName);
    const auto fields = [&] {
        return editing::TemplateItem{itemName->text(), itemContent->text()};
    };
    const auto show = [&] {
        itemName->setText(state.shown().name);
        itemContent->setText(state.shown().content);
        number->setText(QStringLiteral("第%1项").arg(state.current()));
    };
    QObject::connect(previous, &QPushButton::clicked, &dialog, [&] {
        state.previous(fields());
        show();
    });
    QObject::connect(next, &QPushButton::clicked, &dialog, [&] {
        state.next(fields());
        show();
    });
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, [&] {
        state.store(fields());
        if (save(name->text(), state.items()))
            dialog.accept();
    });
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    show();
    ask(dialog);
}

// The site's login ("需要登录"): user name and password, the password hidden.
std::optional<browser::PageDialogs::Login> QtDialogs::askLogin(const QUrl &url,
                                                               const QString &realm) {
    QDialog dialog(m_owner);
    dialog.setWindowTitle(QStringLiteral("需要登录"));
    auto *form = new QFormLayout(&dialog);
    auto *note =
        new QLabel(QStringLiteral("网站 %1 要求输入用户名和密码。").arg(url.host()) +
                       (realm.isEmpty() ? QString() : QStringLiteral("\n提示：%1").arg(realm)),
                   &dialog);
    note->setWordWrap(true);
    form->addRow(note);
    auto *user = new QLineEdit(&dialog);
    user->setObjectName(QStringLiteral("user"));
    auto *password = new QLineEdit(&dialog);
    password->setObjectName(QStringLiteral("password"));
    password->setEchoMode(QLineEdit::Password);
    form->addRow(QStringLiteral("用户名:"), user);
    form->addRow(QStringLiteral("密码:"), password);
    auto *buttons = new QDialogButtonBox(&dialog);
    buttons->addButton(QStringLiteral("登录"), QDialogButtonBox::AcceptRole);
    buttons->addButton(QStringLiteral("取消"), QDialogButtonBox::RejectRole);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    form->addRow(buttons);
    if (ask(dialog) != QDialog::Accepted)
        return std::nullopt;
    return Login{user->text(), password->text()};
}

bool QtDialogs::askCertificateException(const QUrl &url, const QString &problem) {
    return message(QStringLiteral("证书错误"),
                   QStringLiteral("%1 的连接不安全：%2\n\n仍然继续访问这个网站吗？"
                                  "（选“否”返回）")
                       .arg(url.host(), problem),
                   Buttons::YesNo) == Answer::Yes;
}

} // namespace shell
