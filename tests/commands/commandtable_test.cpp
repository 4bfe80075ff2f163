// The command table: its rows agree with each other, and every key runs its own command.
#include "shell/commands.h"
#include "shell/commandtable.h"
#include "shell/findbar.h"
#include "shell/mainwindow.h"
#include "shell/sitesearch.h"
#include "shell/tabmanager.h"
#include "shell/toolbar.h"
#include "support/commandwait.h"
#include "support/fakebrowserview.h"
#include "support/fakedialogs.h"
#include "support/fakeservices.h"

#include "common/ansifile.h"

#include <QAction>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using shell::CommandEntry;
using testing_support::FakeBrowserView;

TEST(CommandTable, RowsOfOneKeyRunOneCommandAndEveryFixedEntryHasOne) {
    QHash<QString, QString> operations;
    for (const CommandEntry &row : shell::commandTable()) {
        const QString key = QString::fromLatin1(row.key);
        if (row.match != CommandEntry::Match::Exact || !*row.operation)
            continue;
        if (operations.contains(key)) {
            EXPECT_EQ(operations.value(key), QString::fromLatin1(row.operation)) << row.key;
        }
        operations.insert(key, QString::fromLatin1(row.operation));
        EXPECT_NE(shell::commandForKey(key), nullptr) << row.key << " runs nothing";
        if (row.place == shell::Place::ButtonMenu && *row.in) {
            EXPECT_STREQ(shell::routeMenuKey(key).command->operation, row.operation) << row.key;
        }
    }
}

struct RouteCase {
    const char *key;
    const char *operation;
    const char *name; // what a prefix row hands over
};

TEST(CommandTable, PrefixesHandOverTheNameAndEverythingElseIsPastedAsItIsSpelt) {
    for (const RouteCase &c : std::initializer_list<RouteCase>{
             {"add_简历", "LoadTemplate", "简历"},
             {"opengroup_新闻", "OpenGroup", "新闻"},
             {"all_a", "FillTemplate", "a"},
             {"delete_x.y", "EditTemplate", "x.y"},
             {"template_t_之_item", "PasteTemplateItem", "t_之_item"},
             {"deleteselect", "DeleteThis", ""}, // a fixed key before the prefix "delete_"
             {"help", "HelpPage", ""},
             {"saveallo_x_j ", "PasteIntoField", ""},
             {"Help", "PasteIntoField", ""},
             {"someone@mail.example", "PasteIntoField", ""},
             {"newtab", "PasteIntoField", ""}, // a shortcut's key is no drop-down entry
             {"", "PasteIntoField", ""}}) {
        const shell::Route route = shell::routeMenuKey(QString::fromUtf8(c.key));
        EXPECT_STREQ(route.command->operation, c.operation) << c.key;
        EXPECT_EQ(route.name, QString::fromUtf8(c.name)) << c.key;
    }
    EXPECT_EQ(shell::routeButtonKey("new"), nullptr); // toggles and separators run nothing
    EXPECT_EQ(shell::routeButtonKey("fg1"), nullptr);
    EXPECT_EQ(shell::commandForKey("fg1"), nullptr);
}

TEST(SiteSearch, AddressesCarryTheSiteNameInTheirEncodings) {
    // "Corvanepdf小说网" in GBK: 小 D0A1, 说 CBB5, 网 CDF8.
    EXPECT_EQ(shell::firstEngineSearchUrl().toEncoded(),
              "https://www.baidu.com/s?wd=Corvanepdf%D0%A1%CB%B5%CD%F8&cl=3");
    EXPECT_EQ(
        shell::secondEngineSearchUrl().toEncoded(),
        "https://www.google.com/search?complete=1&hl=zh-CN&q=CorvanePDF%E5%B0%8F%E8%AF%B4%E7%BD%91"
        "&btnG=Google+%E6%90%9C%E7%B4%A2&meta=");
}

// Every key the window knows, run as `lumaro --command KEY` runs it, in a window of fakes
// showing one page with links, addresses and a selection.
class EveryKey : public ::testing::TestWithParam<QString> {
protected:
    EveryKey() {
        saveDir = QDir(programDir.path()).filePath("saved");
        QDir().mkpath(saveDir);
        write("savepath.ini", saveDir.toUtf8() + "\r\n");
        write("link.htm", common::encodeText(QStringLiteral(
                              "<html><head><title>favorites</title></head><body><table>\r\n"
                              "<tr class=\"head\"><td>网址</td><td>说明</td><td></td></tr>\r\n"
                              "</table></body></html>\r\n")));
        window = std::make_unique<shell::MainWindow>(common::ProgramFolder(programDir.path()),
                                                     factory, &dialogs, &clipboard);
        window->tabs().setClock([this] { return clock; });
        // The chooser answers with a folder holding a page, and a file holding an address.
        write("saved/甲.htm", "<title>甲</title>");
        write("网址.txt", "http://h.example/from-file.htm\r\n");
        write("书签.html", "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n<DL><p>\n"
                           "<DT><A HREF=\"http://b.example/\">书签</A>\n</DL><p>\n");
        dialogs.folders = {saveDir};
        dialogs.files = {QDir(programDir.path()).filePath("网址.txt")};
        auto *view = static_cast<FakeBrowserView *>(
            window->tabs().openInNewTab(QUrl("http://h.example/a/p.htm"), true, true));
        view->pageTitle = QStringLiteral("页");
        view->pageHtml = pageHtml = QStringLiteral(
            "<p>文字 <a href=\"q.htm\">第一</a> <a href=\"http://o.example/r.htm\">第二</a> "
            "<a href=\"f.zip\">下载</a> m@h.example</p>");
        view->selection = QStringLiteral("第一 第二 下载");
        view->wholePageJson =
            QStringLiteral(R"({"nonce":"0123456789abcdef","url":"http://h.example/a/p.htm",)"
                           R"("html":"<html><head></head><body>整页</body></html>"})");
        view->focusedType = QStringLiteral("text");
        page = view;
        // A closed tab to bring back, a copied text in the paste menu, words to find.
        window->tabs().openInNewTab(QUrl("http://h.example/closed.htm"), true, true);
        for (FakeBrowserView *made : factory.created)
            views.append(made);
        window->tabs().closeTab(3);
        window->tabs().selectTab(2);
        window->toolbar().addMenuEntry("paste", "先前复制的字", "先前复制的字");
        window->addressBox().setEditText("http://h.example/a/p.htm");
        window->findBar().openFor(view);
        window->findBar().findChild<QLineEdit *>()->setText("字");
        window->findBar().hide();
        clipboard.setText("剪贴板的字");
        testing_support::waitFor([&] { return !view->busy; });
        for (const QPointer<FakeBrowserView> &made : views) {
            if (made)
                made->searches.clear();
            navigated.append(made ? made->navigations.size() : 0);
        }
        QDirIterator files(programDir.path(), QDir::Files, QDirIterator::Subdirectories);
        while (files.hasNext()) {
            const QFileInfo info(files.next());
            before.insert(info.filePath(), info.lastModified());
        }
    }
    void write(const QString &name, const QByteArray &bytes) {
        QFile file(QDir(programDir.path()).filePath(name));
        QDir().mkpath(QFileInfo(file).path());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    // What the fakes recorded, one word each.
    QStringList trace() const {
        QStringList seen;
        seen << QStringLiteral("tabs:%1").arg(window->tabs().tabCount());
        QList<QPointer<FakeBrowserView>> all = views;
        for (qsizetype i = views.size(); i < factory.created.size(); ++i)
            all.append(factory.created[i]); // made by the command
        for (int i = 0; i < all.size(); ++i) {
            const FakeBrowserView *view = all[i];
            if (!view)
                continue;
            for (const QUrl &url : view->navigations.mid(navigated.value(i)))
                seen << "nav:" + url.fileName();
            if (view->backCount)
                seen << "back";
            if (view->forwardCount)
                seen << "forward";
            if (view->reloadCount)
                seen << "reload";
            if (view->stopCount)
                seen << "stop";
            if (view->zoom != 1.0)
                seen << QStringLiteral("zoom:%1").arg(view->zoom);
            for (const QString &path : view->savedAs)
                seen << "saveAs:" + QFileInfo(path).fileName();
            for (const auto &search : view->searches)
                seen << "find:" + search.first + (search.second ? "<" : ">");
            if (!view->downloads.isEmpty())
                seen << "download";
        }
        for (const QString &title : dialogs.asked)
            seen << "asked:" + title;
        for (const auto &shown : dialogs.shown)
            seen << "message:" + shown.text.left(16);
        if (!dialogs.sources.isEmpty())
            seen << "source";
        if (dialogs.saveText)
            seen << "textDialog";
        if (dialogs.templateEditor)
            seen << "templateEditor";
        if (!dialogs.linkAsked.isEmpty())
            seen << "linkAsked";
        QDirIterator files(programDir.path(), QDir::Files, QDirIterator::Subdirectories);
        while (files.hasNext()) {
            const QFileInfo info(files.next());
            if (before.value(info.filePath()) == info.lastModified() ||
                info.fileName() == QLatin1String("seen.txt"))
                continue;
            const QString text = common::readTextFile(info.filePath()).text;
            seen << "file:" + QDir(programDir.path()).relativeFilePath(info.filePath()) +
                        (text.contains("http://h.example/a/q.htm") ? "+absolute" : "") +
                        (text.contains("第一") ? "+linktext" : "");
        }
        const QStringList paste = window->toolbar().menuKeys("paste");
        seen << QStringLiteral("paste:%1:%2").arg(paste.size()).arg(paste.value(paste.size() - 1));
        for (const char *key : {"beginsave", "beginsave2", "onlynew"}) {
            const QAction *entry = window->toolbar().findMenuEntry(key);
            if (entry->text().startsWith("停止") || entry->isChecked())
                seen << QStringLiteral("on:") + key;
        }
        if (window->tabs().isMarked(2))
            seen << "marked";
        if (const auto *record = window->findChild<QAction *>("recordhistory");
            record && record->isCheckable() && !record->isChecked())
            seen << "off:recordhistory";
        if (page && page->pageHtml != pageHtml)
            seen << QStringLiteral("pageChanged:%1links").arg(page->pageHtml.count("<a "));
        if (page && !page->focusedValue.isEmpty())
            seen << "typed:" + page->focusedValue;
        seen << "clipboard:" + clipboard.text();
        if (window->findBar().isVisibleTo(window.get()))
            seen << "findBar";
        if (auto *list = window->findChild<QDialog *>("downloads"); list && list->isVisible())
            seen << "downloadsShown";
        if (window->addressBox().lineEdit()->hasSelectedText())
            seen << "addressSelected";
        seen << "s1:" + window->panelText("s1") << "s2:" + window->panelText("s2");
        return seen;
    }

    QTemporaryDir programDir;
    QString saveDir;
    testing_support::FakeViewFactory factory;
    testing_support::FakeDialogs dialogs;
    testing_support::FakeClipboard clipboard;
    std::unique_ptr<shell::MainWindow> window;
    QPointer<FakeBrowserView> page;
    double clock = 100; // seconds: no new tab is ever refused as too soon after the last
    QString pageHtml;
    QList<QPointer<FakeBrowserView>> views; // the views before the command
    QList<int> navigated;                   // each view's navigations before the command
    QHash<QString, QDateTime> before;       // the files before the command
};

// What each key's command leaves in the fakes: every word listed must be there. Keys that
// share an operation share their words; the rest differ from each other.
struct KeyEffect {
    const char *key;
    QStringList words;
    const char *selection = nullptr; // instead of the page's "第一 第二 下载"
    const char *file = nullptr;      // what the file choosers answer instead of "网址.txt"
};

const QList<KeyEffect> &keyEffects() {
    const QString page = "file:saved/第一第二下载";
    const QString savedPage = "s2:该网页已经保存到";
    const QString savedAll = "s2:所有打开网页已经保存到";
    const QString allText = "s2:已保存1个网页到";
    const QString twoPages = "s2:已打开 2 个网页";
    const QString onePage = "s2:已打开 1 个网页";
    const QString closedAll = "s2:已关闭 1 个网页，按 Ctrl+Shift+T 可以把它们重新打开";
    const QString fromDisk = "message:这个网页不在硬盘上，没有文件可删";
    const QString seriesName = "asked:连续保存:系列的名字（在默认保存路径下以此建文件夹）：";
    const QString groupName = "asked:填写信息:要保存的组名称:";
    static const QList<KeyEffect> effects = {
        {"back", {"back"}},
        {"pre", {"forward"}},
        {"stop", {"stop"}},
        {"refresh", {"reload"}},
        {"home", {"nav:link.htm", "tabs:2"}},
        {"save", {page + ".htm+linktext", savedPage}},
        {"onlysave", {page + ".htm+linktext", savedPage}},
        {"onlysave_x_j", {page + ".htm+absolute+linktext", savedPage}},
        {"saveallo", {page + ".htm+linktext", savedAll}},
        {"saveallo_x_j", {page + ".htm+absolute+linktext", savedAll}},
        {"savewhole", {page + ".html", savedPage}},
        {"saveallwhole", {page + ".html", savedAll}},
        {"savetxt1", {"textDialog"}},
        {"beginsave", {"on:beginsave"}},
        {"beginsave2", {"on:beginsave2"}},
        {"savestext", {page + ".txt+linktext", "s2:http://h.example/a/p.htm下载完成"}},
        {"savetext", {page + ".txt+linktext", savedPage}},
        {"savetextnotlink", {page + ".txt", savedPage}},
        {"savealltext", {page + ".txt+linktext", allText}},
        {"savealltextnotlink", {page + ".txt", allText}},
        {"setsavepath", {"asked:选择默认的保存路径", "file:savepath.ini"}},
        {"createfolder", {"asked:填写信息:要创建文件夹名称:"}},
        {"serialstart", {seriesName}},
        {"serial", {seriesName}},
        {"serialstop", {}}, // nothing runs: nothing to stop
        {"serialresume", {"asked:请选择要继续连续保存的系列文件夹"}},
        {"serialcontents", {"message:当前网页上没有找到章节目录"}},
        {"serialcheck", {"s2:检查新章节完毕"}},
        {"serialbook", {"asked:请选择要合并成一本书的系列文件夹"}},
        {"displaypath", {"tabs:3", "s2:已在新标签页打开默认保存路径"}},
        {"saveadd", {"asked:全保存当前网页", "file:网址.txt", savedPage}},
        {"savee", {"file:email.txt"}},
        {"savece", {"file:email.txt"}},
        {"saveee", {"file:email.txt", "s2:file://"}},
        {"openemail", {"s2:还没有收集过 email 地址："}},
        {"saveetom", {"paste:3:m@h.example"}},
        {"savectolink", {"linkAsked"}},
        {"savehtol", {"linkAsked"}},
        {"savehref", {"file:href.txt+absolute"}},
        {"savetolink", {"file:link.htm+absolute+linktext", "s1:3"}},
        {"savexd", {"file:link.htm+absolute+linktext", "s1:1"}},
        {"savejd", {"file:link.htm", "s1:1"}},
        {"savesydz", {"asked:信息输入:请输入目录网页的名字："}},
        {"savehtom", {"paste:3:http://h.example/a/p.htm"}},
        {"importbookmarks",
         {"file:link.htm", "s2:已导入 1 个书签到 link.htm"},
         nullptr,
         "书签.html"},
        {"exportbookmarks", {"file:导出.html", "s2:已把 0 个收藏导出到"}, nullptr, "导出.html"},
        {"savegroup", {groupName}},
        {"save_group", {groupName}},
        {"openh", {"asked:打开文件", "nav:网址.txt"}},
        {"openhw", {"asked:打开文件", "nav:网址.txt"}},
        {"openm", {"asked:选择文件夹", "nav:甲.htm", onePage}},
        {"openfall", {"asked:打开文件", "nav:from-file.htm", onePage}},
        {"openmkw", {"asked:选择文件夹", "nav:saved"}},
        {"openl", {"nav:link.htm", "tabs:2"}},
        {"searchsaved", {"nav:searchsaved", "tabs:3"}},
        {"history", {"nav:history", "tabs:3"}},
        {"recordhistory", {"file:history.ini", "s1:记录历史：关", "off:recordhistory"}},
        {"excludesite", {"file:history.ini", "s1:不再记录 h.example"}},
        {"opena", {"nav:q.htm", "nav:r.htm", twoPages}},
        {"openallw", {"nav:q.htm", "nav:r.htm", twoPages}},
        {"opencwpallwz", {"nav:q.htm", "nav:r.htm", "nav:f.zip", "s2:已打开 3 个网页"}},
        {"openallx", {"nav:q.htm", onePage, "tabs:3"}},
        {"openallj", {"nav:r.htm", onePage, "tabs:3"}},
        {"openallzip", {"download", "s1:1"}},
        {"onlynew", {"on:onlynew"}},
        {"opens", {"nav:q.htm", "nav:r.htm", twoPages}},
        {"opensallp", {"nav:q.htm", "nav:r.htm", twoPages}},
        {"opensallz", {"nav:q.htm", "nav:r.htm", twoPages}},
        {"opensallx", {"nav:q.htm", onePage, "tabs:3"}},
        {"opensallj", {"nav:r.htm", onePage, "tabs:3"}},
        {"opensallzip", {"download", "clipboard:第一 第二 下载"}},
        {"inputform", {"templateEditor"}},
        {"addt", {"templateEditor"}},
        {"copy", {"paste:3:第一 第二 下载"}},
        {"paste", {"typed:剪贴板的字"}},
        {"deletealltool", {"paste:1:deletealltool"}},
        {"delete", {"clipboard:第一 第二 下载", "paste:2:"}}, // not the favourites page
        {"deleteselectfromc", {"pageChanged:3links"}, "文字"},
        {"deleteselectfromc2", {"pageChanged:2links"}, "第一"},
        {"deleteselectfromall", {"pageChanged:3links", "s1:已从 1 个网页上删除"}, "文字"},
        {"deleteselectfromall2", {"pageChanged:2links", "s1:已从 1 个网页上删除"}, "第一"},
        {"deleteselect", {"tabs:1", "s2:file://"}},
        {"deletealls", {"tabs:1", closedAll}},
        {"deletefromharddisk", {"tabs:1", fromDisk}},
        {"help", {"nav:help.html"}},
        {"origin", {"nav:Lumaro浏览器的来历.htm"}},
        {"a_site", {"tabs:3", "nav:s"}},
        {"a_site1", {"tabs:3", "nav:search"}},
        {"view_source", {"source"}},
        {"SetExtractFilename", {"asked:exfilename"}},
        {"reopenClosed", {"tabs:3", "nav:closed.htm"}},
        {"printpdf", {"s2:正在打印为PDF："}},
        {"downloads", {"downloadsShown"}},
        {"menu_exit", {"file:session.json"}},
        {"deleteThis", {"tabs:1", "s2:file://"}},
        {"deleteAll", {"tabs:1", closedAll}},
        {"tab_tick", {"marked"}},
        {"DeleteFromHard", {"tabs:1", fromDisk}},
        {"focusaddress", {"addressSelected"}},
        {"newtab", {"nav:link.htm", "tabs:3"}},
        {"nexttab", {"s2:file://"}},
        {"previoustab", {"s2:file://"}},
        {"find", {"findBar"}},
        {"findnext", {"find:字>"}},
        {"findprevious", {"find:字<"}},
        {"zoomin", {"zoom:1.1", "s1:缩放 110%"}},
        {"zoomout", {"s1:缩放 91%"}},
        {"zoomreset", {"s1:缩放 100%"}},
    };
    return effects;
}

TEST_P(EveryKey, RunsItsOwnCommand) {
    const QString key = GetParam();
    const auto effect = std::find_if(keyEffects().begin(), keyEffects().end(),
                                     [&](const KeyEffect &e) { return key == e.key; });
    ASSERT_NE(effect, keyEffects().end()) << key.toStdString() << " has no row of effects";
    if (effect->selection)
        page->selection = QString::fromUtf8(effect->selection);
    if (effect->file)
        dialogs.files = {QDir(programDir.path()).filePath(QString::fromUtf8(effect->file))};
    clock += 10;
    testing_support::pause(10);
    const QStringList idle = trace();
    bool done = false;
    ASSERT_TRUE(window->commands().enqueueMenuKey(key, [&done] { done = true; }));
    EXPECT_TRUE(testing_support::waitFor([&] { return done; }, 5000));
    testing_support::untilIdle(window->commands(), 2000);
    // Some effects come after the command has ended (a page it opened finishes loading).
    const auto missing = [&] {
        const QStringList seen = trace();
        QStringList words;
        for (const QString &word : effect->words) {
            if (std::none_of(seen.begin(), seen.end(),
                             [&](const QString &s) { return s.startsWith(word); }))
                words.append(word);
        }
        return words;
    };
    testing_support::waitFor([&] { return missing().isEmpty(); }, 5000);
    const QStringList seen = trace();
    EXPECT_TRUE(missing().isEmpty()) << "missing " << missing().join(", ").toStdString() << " in "
                                     << seen.join(" | ").toStdString();
    if (effect->words.isEmpty()) {
        EXPECT_EQ(seen.join(" | ").toStdString(), idle.join(" | ").toStdString());
    }
}

QStringList everyKey() {
    QStringList keys;
    for (const CommandEntry &row : shell::commandTable()) {
        const QString key = QString::fromLatin1(row.key);
        if (row.match == CommandEntry::Match::Exact && shell::commandForKey(key) &&
            !keys.contains(key))
            keys.append(key);
    }
    return keys;
}

INSTANTIATE_TEST_SUITE_P(Table, EveryKey, ::testing::ValuesIn(everyKey()), [](const auto &info) {
    QString name = info.param;
    return name.replace(u'_', QStringLiteral("U")).toStdString();
});

} // namespace
