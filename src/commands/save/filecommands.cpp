#include "filecommands.h"

#include "browser/browserview.h"
#include "commands/save/wholepagesaver.h"
#include "commands/savesteps.h"
#include "common/ansifile.h"
#include "saving/filenaming.h"
#include "saving/overwritecheck.h"
#include "saving/savenames.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QPointer>

namespace commands {

using browser::BrowserView;

FileCommands::FileCommands(CommandContext &context, const common::ProgramFolder &folder,
                           std::function<void(const QString &)> savePathChanged)
    : m_context(context), m_folder(folder), m_savePathChanged(std::move(savePathChanged)) {}

// The e-mail file and the save folder open in a tab of their own, as the engine shows a text
// file and a folder's listing: the desktop may have no program for them, and says nothing then.
void FileCommands::openEmailFile() {
    const QString path = m_folder.filePath(QStringLiteral("email.txt"));
    if (!QFileInfo(path).isFile()) {
        m_context.panels.setPanelText(
            Panel::Message, QStringLiteral("还没有收集过 email 地址：%1 不存在").arg(path));
        return;
    }
    showInNewTab(QUrl::fromLocalFile(path));
    m_context.panels.showNotice(QStringLiteral("已在新标签页打开 ") + path);
}

void FileCommands::openSaveFolder() {
    const QString folder = m_context.savePath();
    if (!QFileInfo(folder).isDir()) {
        m_context.dialogs.message(
            kNoticeCaption, QStringLiteral("无法打开默认保存路径：%1（文件夹不存在）").arg(folder),
            Dialogs::Buttons::Ok);
        return;
    }
    showInNewTab(QUrl::fromLocalFile(QDir(folder).absolutePath() + u'/'));
    m_context.panels.showNotice(QStringLiteral("已在新标签页打开默认保存路径 ") + folder);
}

void FileCommands::showInNewTab(const QUrl &url) {
    browser::TabHost &tabs = m_context.tabs;
    tabs.openInNewTab(url, true, true);
    tabs.selectTab(tabs.tabCount());
}

void FileCommands::createFolder() {
    Dialogs &dialogs = m_context.dialogs;
    const std::optional<QString> answer = dialogs.inputText(
        QStringLiteral("填写信息"), QStringLiteral("要创建文件夹名称:"), QString());
    if (!answer || answer->isEmpty())
        return;
    const QString name = *answer;
    // The name makes one folder inside the default save folder, never a path elsewhere.
    if (name.contains(u'/') || name.contains(u'\\') || name == QLatin1String(".") ||
        name == QLatin1String("..")) {
        dialogs.message(QStringLiteral("信息"),
                        QStringLiteral("文件夹名称不能包含“/”或“\\”，也不能是“.”或“..”！"),
                        Dialogs::Buttons::Ok);
        return;
    }
    const QString savePath = m_context.savePath();
    const QString path = QDir::cleanPath(savePath + u'/' + name);
    if (QFileInfo::exists(path)) {
        dialogs.message(QStringLiteral("信息"), QStringLiteral("已经有此文件夹！"),
                        Dialogs::Buttons::Ok);
        return;
    }
    if (!QDir(savePath).mkdir(name)) {
        dialogs.message(
            QStringLiteral("信息"),
            QStringLiteral("无法创建文件夹 %1（默认保存路径不存在或没有写入权限）").arg(path),
            Dialogs::Buttons::Ok);
        return;
    }
    m_savePathChanged(path);
    QString error;
    if (!m_folder.writeSavePath(path, &error))
        dialogs.message(kNoticeCaption, QStringLiteral("无法写入 savepath.ini：%1").arg(error),
                        Dialogs::Buttons::Ok);
}

common::Task<> FileCommands::viewSource() {
    QPointer<BrowserView> view = m_context.tabs.currentView();
    if (!view)
        co_return;
    SaveSteps steps(m_context);
    steps.warnIfBusy(view);
    const std::optional<browser::PageRead> page = co_await steps.readPage(view, kPageNotRead);
    if (!page)
        co_return;
    m_context.dialogs.showSource(QStringLiteral("查看源代码：必须从这里找定义提取文件名的HTML标签"),
                                 QStringLiteral("<HTML>") + page->html + QStringLiteral("</HTML>"));
}

common::Task<> FileCommands::saveFullPage() {
    QPointer<BrowserView> view = m_context.tabs.currentView();
    if (!view)
        co_return;
    // The page's own title; a page without one (the engine shows its address) gets a dated name.
    saving::NameSources sources;
    sources.kind = saving::SaveKind::WholePage;
    sources.title = view->title();
    sources.url = view->url();
    sources.when = QDateTime::currentDateTime();
    const QString name = saving::saveName(sources);
    const QString oneFile = QStringLiteral("网页，单个文件 (*.html)");
    const QString withFolder = QStringLiteral("网页，全部（附带文件夹） (*.htm *.html)");
    const QString mhtml = QStringLiteral("网页归档 MHTML (*.mhtml *.mht)");
    QString form;
    QString path = m_context.dialogs.chooseSaveFile(
        QStringLiteral("全保存当前网页"), saving::makeSavePath(m_context.savePath(), name, ".html"),
        QStringList{oneFile, withFolder, mhtml}.join(QStringLiteral(";;")), &form);
    if (path.isEmpty() || !view)
        co_return;
    if (form == mhtml) {
        if (!path.endsWith(QLatin1StringView(".mhtml"), Qt::CaseInsensitive) &&
            !path.endsWith(QLatin1StringView(".mht"), Qt::CaseInsensitive))
            path += QStringLiteral(".mhtml");
        view->savePageAs(path, BrowserView::SaveFormat::Mhtml);
    } else if (form == withFolder) {
        view->savePageAs(path, BrowserView::SaveFormat::WithFolder);
    } else {
        WholePageSaver saver(m_context);
        co_await saver.saveWholeTo(view, path);
    }
}

void FileCommands::showSaveTextDialog() {
    m_context.dialogs.showSaveTextDialog([this](const QString &title, const QString &content) {
        return saveTextToFolder(title, content);
    });
}

bool FileCommands::saveTextToFolder(const QString &title, const QString &content) {
    Dialogs &dialogs = m_context.dialogs;
    const QString name = saving::fitFileName(saving::correctName(title.trimmed()), ".txt");
    if (name.isEmpty()) {
        dialogs.message(kNoticeCaption, QStringLiteral("请填写文章标题，它将作为文件名！"),
                        Dialogs::Buttons::Ok);
        return false;
    }
    const QString savePath = m_context.savePath();
    const QString path = saving::makeSavePath(savePath, name, QStringLiteral(".txt"));
    const QString existing = saving::existingFileName(savePath, name + QStringLiteral(".txt"));
    if (!existing.isEmpty() &&
        dialogs.message(QString(),
                        QStringLiteral("已经存在同样名字的文件“%1”，是否要覆盖？").arg(existing),
                        Dialogs::Buttons::YesNo) != Dialogs::Answer::Yes)
        return false;
    QString error;
    if (!common::writeTextFile(path, content + QStringLiteral("\r\n"),
                               common::FileEncoding::Gb18030, &error)) {
        dialogs.message(kNoticeCaption, QStringLiteral("无法保存 %1：%2").arg(path, error),
                        Dialogs::Buttons::Ok);
        return false;
    }
    m_context.panels.setPanelText(Panel::Message, QStringLiteral("该网页已经保存到") + path);
    return true;
}

void FileCommands::printToPdf() {
    BrowserView *view = m_context.tabs.currentView();
    if (!view)
        return;
    saving::NameSources sources;
    sources.kind = saving::SaveKind::Pdf;
    sources.title = view->title();
    const QString name = saving::saveName(sources);
    const QDir folder(m_context.savePath());
    QString path = folder.filePath(name + QStringLiteral(".pdf"));
    for (int n = 2; QFileInfo::exists(path); ++n)
        path = folder.filePath(QStringLiteral("%1 (%2).pdf").arg(name).arg(n));
    StatusPanels &panels = m_context.panels;
    connect(
        view, &BrowserView::pdfPrinted, this,
        [&panels, path](const QString &printed, bool ok) {
            if (printed != path)
                return;
            panels.setPanelText(Panel::Message, ok ? QStringLiteral("已打印为PDF：") + path
                                                   : QStringLiteral("打印为PDF失败：") + path);
        },
        Qt::SingleShotConnection);
    panels.setPanelText(Panel::Message, QStringLiteral("正在打印为PDF：") + path);
    view->printToPdf(path);
}

} // namespace commands
