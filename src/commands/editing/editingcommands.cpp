#include "editingcommands.h"

#include "browser/bulkopen.h"
#include "browser/localpages.h"
#include "browser/pagereads.h"
#include "common/ansifile.h"
#include "editing/deletion.h"
#include "editing/groups.h"
#include "editing/templates.h"
#include "links/favouriteswrite.h"

#include <QDir>
#include <QFileInfo>

namespace commands {

namespace {

const QString kSelectFirst = QStringLiteral("请选择网页中你要删除的文字！");

// Why link.htm is left as it is: written back, it would not keep its own bytes.
QString unsafeToRewrite(const common::TextFileContent &file) {
    return QStringLiteral("link.htm 按 %1 编码读出后不能原样写回（它可能是用别的编码保存的），"
                          "为了不损坏这个文件，没有修改它。请用文本编辑器把它另存为 GB18030 或 "
                          "UTF-8 编码后再试。")
        .arg(QString::fromLatin1(file.charset));
}

} // namespace

EditingCommands::EditingCommands(
    CommandContext &context, const common::ProgramFolder &folder,
    std::function<bool(const QString &, const QString &, const QString &)> addMenuEntry)
    : m_context(context), m_folder(folder), m_steps(context),
      m_addMenuEntry(std::move(addMenuEntry)) {}

common::Task<> EditingCommands::deleteSelectFromPage() {
    // A page that did not answer must not be replaced by an empty one.
    const auto shown = co_await m_steps.readSelectedPage(SaveSteps::Markup::AsIs, kSelectFirst);
    if (!shown || !shown->view)
        co_return;
    if (shown->url == m_folder.favouritesUrl())
        co_return; // the favourites page is changed by its own commands only
    co_await browser::changeHtml(shown->view,
                                 editing::removeFromShownText(shown->page.html, shown->selection));
}

void EditingCommands::deleteSelectFromFavourites() {
    QString selection;
    browser::BrowserView *view = m_steps.viewWithSelection(&selection, kSelectFirst);
    if (!view)
        return;
    if (view->url() != m_folder.favouritesUrl())
        return;
    const common::TextFileContent file = common::readTextFile(m_folder.favouritesPath());
    if (!file.ok || file.text.isEmpty())
        return;
    if (!file.keepsBytes) {
        m_context.dialogs.message(kNoticeCaption, unsafeToRewrite(file), Dialogs::Buttons::Ok);
        return;
    }
    const std::optional<QString> changed = editing::removeFavouriteHolding(file.text, selection);
    if (!changed) {
        m_context.dialogs.message(kNoticeCaption,
                                  QStringLiteral("选择的文本必须在同一标记下，请分别选择删除！"),
                                  Dialogs::Buttons::Ok);
        return;
    }
    QString error;
    if (!links::favourites::writeFavouritesFile(m_folder.favouritesPath(), file.text, *changed,
                                                file.encoding, links::favourites::Change::RemoveRow,
                                                &error)) {
        m_context.dialogs.message(kNoticeCaption,
                                  QStringLiteral("无法写入 link.htm：%1").arg(error),
                                  Dialogs::Buttons::Ok);
        return;
    }
    m_context.tabs.reloadView(view);
}

QString EditingCommands::templatePath(const QString &name) const {
    return QDir(m_folder.filePath(QStringLiteral("inputtemplate")))
        .filePath(name + QStringLiteral(".ini"));
}

bool EditingCommands::saveTemplate(const QString &name, const QList<editing::TemplateItem> &items,
                                   bool replacing) {
    QString problem = editing::templateNameProblem(name);
    if (problem.isEmpty())
        problem = templateItemsProblem(items);
    if (!problem.isEmpty()) {
        m_context.dialogs.message(kNoticeCaption, problem, Dialogs::Buttons::Ok);
        return false;
    }
    if (!replacing && QFileInfo::exists(templatePath(name)) &&
        m_context.dialogs.message(
            kNoticeCaption, QStringLiteral("已经有名为【%1】的模板，是否要覆盖它？").arg(name),
            Dialogs::Buttons::YesNo) != Dialogs::Answer::Yes)
        return false;
    QDir().mkpath(m_folder.filePath(QStringLiteral("inputtemplate")));
    QString error;
    if (!common::writeTextFile(templatePath(name), templateFileText(items),
                               common::FileEncoding::Gb18030, &error)) {
        m_context.dialogs.message(
            kNoticeCaption, QStringLiteral("无法保存模板 %1：%2").arg(templatePath(name), error),
            Dialogs::Buttons::Ok);
        return false;
    }
    const QString menu = QStringLiteral("inputform");
    m_addMenuEntry(menu, QStringLiteral("add_") + name,
                   QStringLiteral("加载【%1】模板到粘贴子菜单里").arg(name));
    m_addMenuEntry(menu, QStringLiteral("all_") + name,
                   QStringLiteral("自动填写【%1】模板到当前网页的表单").arg(name));
    m_addMenuEntry(menu, QStringLiteral("delete_") + name,
                   QStringLiteral("修改【%1】模板").arg(name));
    return true;
}

void EditingCommands::loadTemplate(const QString &name) {
    const QString file = common::readTextFile(templatePath(name)).text;
    for (const QString &item : editing::templateItemNames(file))
        m_addMenuEntry(QStringLiteral("paste"), QStringLiteral("template_%1_之_%2").arg(name, item),
                       QStringLiteral("%1之%2").arg(name, item));
}

common::Task<> EditingCommands::pasteTemplateItem(QString key) {
    const qsizetype separator = key.indexOf(QStringLiteral("_之_"));
    if (separator < 0)
        co_return;
    const QString name = key.left(separator);
    const QString item = key.mid(separator + 3);
    const auto value =
        editing::templateItemValue(common::readTextFile(templatePath(name)).text, item);
    QPointer<browser::BrowserView> view = m_context.tabs.currentView();
    if (!value || !view)
        co_return;
    const QString type = co_await browser::readFocusedElementType(view);
    if (browser::isTextFieldType(type))
        co_await browser::appendToFocusedElement(view, *value);
}

// Fills the shown page's form from the template, and says how many fields took their value.
common::Task<> EditingCommands::fillTemplate(QString name) {
    const std::optional<QString> file = readOrSay(templatePath(name), QStringLiteral("模板"));
    if (!file)
        co_return;
    const auto shown = co_await m_steps.readShownPage(SaveSteps::Markup::ForScanners);
    if (!shown)
        co_return;
    const auto fields = editing::fieldsToFill(shown->page.html, editing::fillRules(*file));
    int filled = 0;
    QStringList missed;
    for (const auto &[field, value] : fields) {
        const bool took = co_await browser::setValueByName(shown->view, field, value);
        if (took)
            ++filled;
        else
            missed.append(field);
    }
    QString report = fields.isEmpty()
                         ? QStringLiteral("这个网页上没有【%1】模板能填写的表单项").arg(name)
                         : QStringLiteral("已用【%1】模板填写 %2 个表单项").arg(name).arg(filled);
    if (!missed.isEmpty())
        report += QStringLiteral("，%1 个没有填上：%2").arg(missed.size()).arg(missed.join(u' '));
    m_context.panels.setPanelText(Panel::Message, report);
}

// The text of a template or group file; none, after telling the user why, when it cannot be
// read. `what` names the kind of file ("模板", "组文件").
std::optional<QString> EditingCommands::readOrSay(const QString &path, const QString &what) {
    const common::TextFileContent file = common::readTextFile(path);
    if (file.ok)
        return file.text;
    m_context.dialogs.message(kNoticeCaption,
                              QStringLiteral("无法读取%1 %2：%3").arg(what, path, file.error),
                              Dialogs::Buttons::Ok);
    return std::nullopt;
}

// A template the editor wrote opens in the editor; another (written by hand, three values a
// rule) opens as text in a tab, where the user can read it.
void EditingCommands::editTemplate(const QString &name) {
    const QString path = templatePath(name);
    const std::optional<QString> file = readOrSay(path, QStringLiteral("模板"));
    if (!file)
        return;
    QList<editing::TemplateItem> items;
    for (const QString &item : editing::templateItemNames(*file))
        items.append({item, editing::templateItemValue(*file, item).value_or(QString())});
    if (items.isEmpty() || editing::templateFileText(items) != *file) {
        m_context.tabs.openInNewTab(QUrl::fromLocalFile(path), true, true);
        m_context.tabs.selectTab(m_context.tabs.tabCount());
        m_context.panels.showNotice(
            QStringLiteral("模板【%1】不是模板编辑器写的，已在新标签页打开：%2").arg(name, path));
        return;
    }
    m_context.panels.setPanelText(Panel::Message,
                                  QStringLiteral("正在修改模板【%1】：%2").arg(name, path));
    m_context.dialogs.editTemplate(
        name, items,
        [this, name](const QString &newName, const QList<editing::TemplateItem> &changed) {
            return saveTemplate(newName, changed, newName == name);
        });
}

common::Task<> EditingCommands::openGroup(QString name) {
    const QString path =
        QDir(m_folder.filePath(QStringLiteral("group"))).filePath(name + QStringLiteral(".txt"));
    const std::optional<QString> file = readOrSay(path, QStringLiteral("组文件"));
    if (!file)
        co_return;
    QList<QUrl> urls;
    for (const QString &address : editing::groupAddresses(*file))
        urls.append(address.isEmpty() ? QUrl() : QUrl::fromUserInput(address));
    QStringList refused;
    urls = browser::openableAddresses(urls, &refused);
    if (!refused.isEmpty())
        m_context.panels.showNotice(browser::refusedAddressesText(refused));
    co_await browser::openHarvestedInTurns(m_context.tabs, urls);
}

} // namespace commands
