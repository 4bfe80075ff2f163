#include "mainwindow.h"

#include "addresscompleter.h"
#include "batchprogressbar.h"
#include "downloadqueue.h"
#include "seenlinks.h"

#include "commands.h"
#include "downloadlist.h"
#include "downloads.h"
#include "findbar.h"
#include "historyrecorder.h"
#include "hoveredlinklabel.h"
#include "programpages.h"
#include "qtdialogs.h"
#include "sessionkeeper.h"
#include "sitesearch.h"
#include "statusbarpanels.h"
#include "systemclipboard.h"
#include "tabmanager.h"
#include "tabmemory.h"
#include "tabstripmenu.h"
#include "toolbar.h"
#include "typeahead.h"
#include "windowentries.h"
#include "windowupdates.h"

#include "fulltext/indexservice.h"

#include "browser/browserview.h"
#include "common/urlrules.h"
#include "saving/filenaming.h"
#include "saving/savenames.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QScreen>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTabBar>
#include <QTimer>
#include <QVBoxLayout>

namespace shell {

using commands::Panel;

using commands::CommandContext;
using commands::CommandRunner;
using commands::Dialogs;

MainWindow::MainWindow(const common::ProgramFolder &folder, browser::ViewFactory &factory,
                       Dialogs *dialogs, commands::Clipboard *clipboard)
    : m_folder(folder), m_factory(factory), m_dialogs(dialogs), m_clipboard(clipboard) {
    if (!m_dialogs) {
        m_ownDialogs = std::make_unique<QtDialogs>(this);
        m_dialogs = m_ownDialogs.get();
    }
    if (!m_clipboard) {
        m_ownClipboard = std::make_unique<SystemClipboard>();
        m_clipboard = m_ownClipboard.get();
    }
    setWindowTitle(QStringLiteral("Lumaro浏览器 V2.0"));
    m_updates = new WindowUpdates(
        [this](const QString &key, const QString &text) { showUpdate(key, text); }, 100, this);
    m_tabs = new TabManager(factory, *m_dialogs, m_folder.favouritesUrl(), this);
    // A double click on a tab closes it as a command like the others.
    m_tabs->setCommandGate([this](const QString &name, std::function<void()> action) {
        runCommand(name, std::move(action));
    });
    openFavouritesPage();
    m_seenLinks = new SeenLinks(*m_tabs, m_folder.filePath(QStringLiteral("seen.txt")), *this,
                                [this] { return m_savePath; });
    m_context.reset(new CommandContext{*m_seenLinks, *m_dialogs, *m_clipboard, *this,
                                       [this] { return m_savePath; }});
    m_context->siteRulesFolder = m_folder.filePath(QStringLiteral("serial-sites"));
    m_context->noteSaved = [this](const QUrl &url, const QString &fileName) {
        if (m_index)
            m_index->noteWritten(saving::makeSavePath(m_savePath, fileName, QString()),
                                 url.toString());
        m_seenLinks->noteSaved(url, fileName);
        m_tabs->captionsChangedForAll();
    };
    m_tabs->setSavedCheck([this](const QUrl &url) {
        return m_seenLinks->record().savedIn(url.toString(), m_savePath).has_value();
    });
    m_commands = new Commands(*this);
    m_downloadList = new DownloadList(m_folder.filePath(QStringLiteral("downloads.json")), this);
    m_downloads = new Downloads(*m_context, *m_downloadList, this);
    m_downloads->keepSettingsIn(m_folder.filePath(QStringLiteral("settings.ini")));
    connect(m_downloads, &Downloads::ended, &m_commands->downloadQueue(), &DownloadQueue::ended);
    factory.setDownloadHandler(
        [this](browser::Download *download) { m_downloads->handle(download); });
    factory.setPageDialogs(m_dialogs);
    factory.setPageSaveFolder([this] { return m_savePath; });
    factory.setProgramPages([this](const QUrl &address, auto reply) {
        makeProgramPage(m_index, m_history, address, std::move(reply));
    });
    buildLayout();
    TabStripMenu &tabMenu = m_tabs->stripMenu();
    m_entries = new WindowEntries(
        *this, *tabMenu.menu(), [&tabMenu] { return tabMenu.menuTabKey(); },
        [this](const QString &key, const MenuChoice &choice) { m_commands->runKey(key, choice); });
    // "恢复关闭的网页" (and Ctrl+Shift+T) follows the list of closed tabs.
    if (QAction *reopen = m_entries->action(QStringLiteral("reopenClosed"))) {
        reopen->setEnabled(false);
        connect(m_tabs, &TabManager::tabsChanged, reopen,
                [this, reopen] { reopen->setEnabled(!m_tabs->closedTabs().isEmpty()); });
    }
    startUp();
    m_session =
        new SessionKeeper(*m_tabs, *this, m_folder.filePath(QStringLiteral("session.json")), this);
    m_session->restore();
    m_tabMemory = new TabMemoryKeeper(*m_tabs, this);
}

void MainWindow::closeEvent(QCloseEvent *event) {
    if (!m_session->writeAtQuit(*m_dialogs)) {
        event->ignore();
        return;
    }
    m_tabs->disconnect(m_session); // tabs closing on the way out are not a new session
    QMainWindow::closeEvent(event);
}

MainWindow::~MainWindow() {
    // A command waiting for a page ends here, while everything it holds still exists.
    m_commands->runner().endAll();
    m_factory.setProgramPages({});      // a later window makes its own
    m_clipboard->setChangeListener({}); // the commands that listen go with the window
    delete m_tabMemory;                 // it looks at the tabs
    m_tabMemory = nullptr;
    // The views go first, while the widgets that show them still exist.
    delete m_tabs;
    m_tabs = nullptr;
}

void MainWindow::buildLayout() {
    m_toolbar = new Toolbar(this);
    addToolBar(Qt::TopToolBarArea, m_toolbar);
    m_tabs->setToggleReader([this](const QString &key) { return m_toolbar->isChecked(key); });
    connect(m_toolbar, &Toolbar::buttonClicked, m_commands, &Commands::runButton);
    connect(m_toolbar, &Toolbar::menuEntryChosen, m_commands, &Commands::runMenuEntry);

    auto *central = new QWidget(this);
    auto *layout = new QVBoxLayout(central);
    layout->setContentsMargins(4, 2, 4, 0);
    layout->setSpacing(2);
    m_addressBox = new QComboBox(central);
    m_addressBox->setObjectName(QStringLiteral("Combo1"));
    m_addressBox->setEditable(true);
    m_addressBox->setInsertPolicy(QComboBox::NoInsert);
    m_addressBox->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    connect(m_addressBox->lineEdit(), &QLineEdit::returnPressed, this,
            [this] { openAddress(m_addressBox->currentText()); });
    connect(m_addressBox, &QComboBox::activated, this,
            [this](int index) { openAddress(m_addressBox->itemText(index)); });
    m_completer = new AddressCompleter(*m_addressBox, *this);
    m_completer->setFavouritesPath(m_folder.favouritesPath());
    connect(m_completer, &AddressCompleter::chosen, this, &MainWindow::openChosenAddress);
    layout->addWidget(m_addressBox);
    layout->addWidget(m_tabs->tabBar());
    layout->addWidget(m_tabs->stack(), 1);
    m_findBar = new FindBar(central);
    layout->addWidget(m_findBar);
    setCentralWidget(central);

    m_panels = new StatusBarPanels(
        *statusBar(), *m_updates, [this] { m_commands->runKey(QStringLiteral("deleteselect")); },
        [this] { m_commands->runKey(QStringLiteral("deletealls")); });

    auto *hoveredLink = new HoveredLinkLabel(m_tabs->stack());
    connect(m_tabs, &TabManager::hoverTextChanged, hoveredLink, &HoveredLinkLabel::showLink);

    auto *batch = new BatchProgressBar(
        this, [this](Panel panel, const QString &text) { setPanelText(panel, text); });
    batch->follow(m_tabs->loadQueue());
    batch->followDownloads(m_commands->downloadQueue());
    statusBar()->addPermanentWidget(batch);
    m_context->progress = batch;
    connect(batch, &BatchProgressBar::saveStopAsked, this,
            [this] { m_commands->runner().stopWaits(); });

    connect(m_tabs, &TabManager::panelTextChanged, this, &MainWindow::setPanelText);
    connect(m_tabs, &TabManager::windowCaptionChanged, this,
            [this](const QString &caption) { m_updates->set(QStringLiteral("caption"), caption); });
    connect(m_tabs, &TabManager::addressChanged, this,
            [this](const QString &address) { m_updates->set(QStringLiteral("address"), address); });
}

void MainWindow::toggleExtractionRule() {
    const bool on = m_commands->toggleExtractionRule();
    QAction *rule = m_entries->action(QStringLiteral("SetExtractFilename"));
    rule->setCheckable(on);
    rule->setChecked(on);
    rule->setText(
        on ? QStringLiteral("你已经定义了提取文件名的方式，这种方式在起作用。点击将取消！")
           : QStringLiteral("定义提取文件名的方式"));
}

// The first tab and its favourites page come first: the engine loads the page while the
// rest of the window is built.
void MainWindow::openFavouritesPage() {
    m_tabs->opener().resetRepeatGuard();
    m_tabs->createFirstTab();
    m_tabs->navigationPolicy().setStartupGuard(true);
    if (browser::BrowserView *first = m_tabs->viewAt(0))
        first->navigate(m_folder.favouritesUrl());
}

void MainWindow::startUp() {
    if (const QScreen *screen = this->screen())
        resize(screen->availableGeometry().size());
    QString problem;
    m_savePath = m_folder.readSavePath(&problem);
    m_panels->setSettingsProblem(problem);
    m_toolbar->addMenuEntry(QStringLiteral("save"), QStringLiteral("displaypath"),
                            displayPathCaption(m_savePath));
    addStartupMenuEntries();
}

void MainWindow::addStartupMenuEntries() {
    const QString inputform = QStringLiteral("inputform");
    for (const QString &name : m_folder.templateNames()) {
        m_toolbar->addMenuEntry(inputform, QStringLiteral("add_") + name,
                                QStringLiteral("加载【%1】模板到粘贴子菜单里").arg(name));
        m_toolbar->addMenuEntry(inputform, QStringLiteral("all_") + name,
                                QStringLiteral("自动填写【%1】模板到当前网页的表单").arg(name));
        m_toolbar->addMenuEntry(inputform, QStringLiteral("delete_") + name,
                                QStringLiteral("修改【%1】模板").arg(name));
    }
    for (const QString &name : m_folder.groupNames())
        m_toolbar->addMenuEntry(QStringLiteral("savegroup"), QStringLiteral("opengroup_") + name,
                                QStringLiteral("打开【%1】中的所有网页").arg(name));
}

bool MainWindow::runCommand(const QString &name, std::function<void()> action) {
    return m_commands->runNow(name, CommandRunner::now(std::move(action)));
}

QString MainWindow::displayPathCaption(const QString &folder) {
    return (QStringLiteral("当前默认保存路径是[") + folder + u']').trimmed();
}

void MainWindow::setPanelText(Panel panel, const QString &shown) {
    if (panel == Panel::Address)
        setAddressText(shown);
    else
        m_panels->setText(panel, shown);
}

void MainWindow::showNotice(const QString &text) {
    m_panels->showNotice(text);
}

QString MainWindow::panelText(const QString &widgetName) const {
    for (const Panel panel : {Panel::Counts, Panel::Message, Panel::TabCount}) {
        if (widgetName == commands::panelKey(panel))
            return m_panels->text(panel);
    }
    return QString();
}

void MainWindow::setAddressText(const QString &text) {
    m_updates->drop(QStringLiteral("address")); // the page's address shown late would undo it
    m_addressBox->setEditText(text);
}

void MainWindow::showUpdate(const QString &key, const QString &text) {
    if (key == QLatin1String("caption")) {
        setWindowTitle(text);
    } else if (key == QLatin1String("address")) {
        // What the user is typing stays until Enter; the box follows the shown page otherwise.
        const QLineEdit *edit = m_addressBox->lineEdit();
        if (!(edit->hasFocus() && edit->isModified()))
            m_addressBox->setEditText(text);
    } else {
        m_panels->show(key, text);
    }
}

void MainWindow::setSavePath(const QString &folder) {
    m_savePath = folder;
    if (m_index)
        m_index->setSaveFolder(m_savePath);
    m_tabs->captionsChangedForAll(); // "[存]" is about this folder
}

void MainWindow::setSavePathFromDialog() {
    const QString folder =
        m_dialogs->chooseFolder(QStringLiteral("选择默认的保存路径"), m_savePath);
    if (folder.isEmpty()) {
        setAddressText(QStringLiteral("Dialog was cancelled！当前默认的保存路径是 ") + m_savePath);
        return;
    }
    m_savePath = folder;
    if (m_index)
        m_index->setSaveFolder(m_savePath);
    m_tabs->captionsChangedForAll();
    setAddressText(QStringLiteral("当前默认的保存路径是 ") + m_savePath);
    QString error;
    if (m_folder.writeSavePath(m_savePath, &error)) {
        m_panels->setSettingsProblem(QString());
    } else {
        m_dialogs->message(commands::kNoticeCaption,
                           QStringLiteral("无法写入 savepath.ini：%1").arg(error),
                           Dialogs::Buttons::Ok);
    }
    m_toolbar->setMenuEntryCaption(QStringLiteral("save"), QStringLiteral("displaypath"),
                                   displayPathCaption(m_savePath));
}

void MainWindow::openAddress(const QString &address) {
    if (!openInFront(address, false))
        return;
    const int existing = m_addressBox->findText(address, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (existing >= 0)
        m_addressBox->removeItem(existing);
    m_addressBox->insertItem(0, address);
    m_addressBox->setCurrentIndex(0);
    setAddressText(address);
}

void MainWindow::openChosenAddress(const QString &address) {
    // A row chosen from the list is the user's own act: a new tab at once, however soon after
    // the last one.
    if (openInFront(address, true))
        setAddressText(address);
}

bool MainWindow::openInFront(const QString &typed, bool skipThrottle) {
    const QUrl url = addressForTypedText(typed);
    if (url.isEmpty())
        return false;
    m_tabs->bringToFront(m_tabs->openInNewTab(url, skipThrottle));
    return true;
}

void MainWindow::openFavouritesTab() {
    m_tabs->bringToFront(m_tabs->openInNewTab(m_folder.favouritesUrl(), true, true));
}

void MainWindow::openSavedSearch() {
    openProgramPage(QStringLiteral("searchsaved"));
}

void MainWindow::openProgramPage(const QString &name) {
    browser::BrowserView *page = m_tabs->openInNewTab(common::programPageUrl(name), true, true);
    m_tabs->bringToFront(page);
    // The words typed at once go into its box, not lost before the page is there.
    TypeAhead::keep(page);
}

void MainWindow::startIndexing() {
    if (m_index)
        return;
    m_index = new fulltext::IndexService(m_folder.filePath(QStringLiteral("index")),
                                         m_folder.filePath(QStringLiteral("seen.txt")), this);
    connect(m_index, &fulltext::IndexService::failed, this,
            [this](const QString &message) { showNotice(message); });
    m_index->setSaveFolder(m_savePath);
    m_context->noteWritten = [this](const QString &path) { m_index->noteWritten(path); };
    if (m_recorder)
        m_recorder->setIndex(m_index);
    m_completer->setIndex(m_index);
}

void MainWindow::startIndexingAfterFirstPage() {
    constexpr int kLongestWaitMs = 3000;
    connect(
        m_tabs, &TabManager::pageLoaded, this,
        [this] { QTimer::singleShot(0, this, &MainWindow::startIndexing); },
        Qt::SingleShotConnection);
    QTimer::singleShot(kLongestWaitMs, this, &MainWindow::startIndexing);
}

void MainWindow::focusAddressBox() {
    m_addressBox->setFocus();
    m_addressBox->lineEdit()->selectAll();
}

// Multiplies the current page's zoom by `factor`; 0 goes back to 100%.
void MainWindow::zoom(double factor) {
    browser::BrowserView *view = m_tabs->currentView();
    if (!view)
        return;
    const double zoomed = factor == 0 ? 1.0 : qBound(0.25, view->zoomFactor() * factor, 5.0);
    view->setZoomFactor(zoomed);
    setPanelText(Panel::Counts, QStringLiteral("缩放 %1%").arg(qRound(zoomed * 100)));
}

void MainWindow::switchTab(int step) {
    const int count = m_tabs->tabCount();
    const int current = m_tabs->tabBar()->currentIndex();
    m_tabs->switchByKeyboard((current + step + count) % count + 1);
}

} // namespace shell
