#include "groupsaver.h"

#include "browser/browserview.h"
#include "common/ansifile.h"
#include "editing/groups.h"
#include "editing/templates.h"

#include <QDir>
#include <QFileInfo>

namespace commands {

GroupSaver::GroupSaver(CommandContext &context, const common::ProgramFolder &folder,
                       std::function<bool(const QString &, const QString &)> addGroupEntry)
    : m_context(context), m_folder(folder), m_addGroupEntry(std::move(addGroupEntry)) {}

// The group's name, asked until it can name a file; no value when the user gives up.
std::optional<QString> GroupSaver::askName() {
    for (;;) {
        const std::optional<QString> answer = m_context.dialogs.inputText(
            QStringLiteral("填写信息"), QStringLiteral("要保存的组名称:"), QString());
        if (!answer || answer->trimmed().isEmpty())
            return std::nullopt;
        const QString name = answer->trimmed();
        const QString problem = editing::templateNameProblem(name);
        if (problem.isEmpty())
            return name;
        m_context.dialogs.message(kNoticeCaption, problem, Dialogs::Buttons::Ok);
    }
}

void GroupSaver::saveGroup() {
    browser::TabHost &tabs = m_context.tabs;
    QList<editing::GroupPage> pages;
    for (int position = 1; position <= tabs.tabCount(); ++position) {
        if (browser::BrowserView *view = tabs.viewAtPosition(position))
            pages.append({view->title(), view->url().toString()});
    }
    const std::optional<QString> name = askName();
    if (!name)
        return;
    const QDir folder(m_folder.filePath(QStringLiteral("group")));
    const QString path = folder.filePath(*name + QStringLiteral(".txt"));
    if (QFileInfo::exists(path) &&
        m_context.dialogs.message(kNoticeCaption,
                                  QStringLiteral("已经存在同样名字的组文件“%1”，是否要覆盖？")
                                      .arg(QFileInfo(path).fileName()),
                                  Dialogs::Buttons::YesNo) != Dialogs::Answer::Yes)
        return;
    QString error;
    if (!QDir().mkpath(folder.path()) ||
        !common::writeTextFile(path, editing::groupFileText(pages), common::FileEncoding::Gb18030,
                               &error)) {
        m_context.dialogs.message(kNoticeCaption,
                                  QStringLiteral("无法保存组文件 %1：%2").arg(path, error),
                                  Dialogs::Buttons::Ok);
        return;
    }
    m_addGroupEntry(QStringLiteral("opengroup_") + *name,
                    QStringLiteral("打开【%1】中的所有网页").arg(*name));
    m_context.panels.setPanelText(Panel::Message, QStringLiteral("组已经保存到") + path);
}

} // namespace commands
