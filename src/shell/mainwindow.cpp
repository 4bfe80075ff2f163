#include "mainwindow.h"

#include "batchprogressbar.h"
#include "downloadqueue.h"
#include "seenlinks.h"

#include "commands.h"
#include "downloads.h"
#include "findbar.h"
#include "qtdialogs.h"
#include "sessionkeeper.h"
#include "sitesearch.h"
#include "systemclipboard.h"
#include "tabmanager.h"
#include "tabmemory.h"
#include "tabstripmenu.h"
#include "toolbar.h"
#include "windowupdates.h"

#include "browser/browserview.h"
#include "saving/filenaming.h"
#include "saving/savenames.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTabBar>
#include <QTimer>
#include <QVBoxLayout>

namespace shell {

using commands::CommandContext;
using commands::CommandRunner;
using commands::Dialogs;

MainWindow::MainWindow(const common::ProgramFolder &folder, browser::ViewFactory &factory,
                       Dialogs *dialogs, commands::Clipboard *clipboard)
    : m_folder(folder), m_dialogs(dialogs), m_clipboard(clipboard) {
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
    // The tab menu's entries and a double click on a tab are commands like the others.
    m_tabs->setCommandGate([this](const QString &name, std::function<void()> action) {
        runCommand(name, std::move(action));
    });
    openFavouritesPage();
    m_seenLinks = new SeenLinks(*m_tabs, m_folder.filePath(QStringLiteral("seen.txt")), *this,
                                [this] { return m_savePath; });
    m_context.reset(new CommandContext{*m_seenLinks, *m_dialogs, *m_clipboard, *this,
                                       [this] { return m_savePath; }});
    m_context->noteSaved = [this](const QUrl &url, const QString &fileName) {
        m_seenLinks->noteSaved(url, fileName);
        m_tabs->captionsChangedForAll();
    };
    m_tabs->setSavedCheck([this](const QUrl &url) {
        return m_seenLinks->record().savedIn(url.toString(), m_savePath).has_value();
    });
    m_commands = new Commands(*this);
    m_downloads = new Downloads(*m_context, this);
    connect(m_downloads, &Downloads::ended, &m_commands->downloadQueue(), &DownloadQueue::ended);
    factory.setDownloadHandler(
        [this](browser::Download *download) { m_downloads->handle(download); });
    factory.setPageDialogs(m_dialogs);
    factory.setPageSaveFolder([this] { return m_savePath; });
    buildLayout();
    buildMenuBar();
    addShortcuts();
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
    layout->addWidget(m_addressBox);
    layout->addWidget(m_tabs->tabBar());
    layout->addWidget(m_tabs->stack(), 1);
    m_findBar = new FindBar(central);
    layout->addWidget(m_findBar);
    setCentralWidget(central);

    // The five panels, from the left: s0, s1, s2, s4, s3. s4 and s3 keep their room at the
    // right edge (permanent widgets); s1 and s2 share what is left. s1 holds the commands'
    // counts: the hovered link shows over the page instead (showHoveredLink).
    m_closeCurrentButton = new QPushButton(QStringLiteral("删除当前网页"), this);
    m_closeCurrentButton->setObjectName(QStringLiteral("s0"));
    m_closeCurrentButton->setFlat(true);
    connect(m_closeCurrentButton, &QPushButton::clicked, this, [this] {
        runCommand(QStringLiteral("DeleteThis"), [this] { m_tabs->closeCurrent(); });
    });
    statusBar()->addWidget(m_closeCurrentButton);
    for (const char *key : {"s1", "s2", "s4"}) {
        auto *label = new QLabel(this);
        const bool s4 = qstrcmp(key, "s4") == 0;
        label->setObjectName(QString::fromLatin1(key));
        label->setFrameShape(QFrame::Panel);
        label->setFrameShadow(QFrame::Sunken);
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
        label->setSizePolicy(s4 ? QSizePolicy::Fixed : QSizePolicy::Ignored,
                             QSizePolicy::Preferred);
        if (s4) {
            label->setAlignment(Qt::AlignCenter);
            label->setFixedWidth(label->fontMetrics().horizontalAdvance(QStringLiteral("000000")) +
                                 12);
            statusBar()->addPermanentWidget(label);
        } else {
            label->setMinimumWidth(100);
            statusBar()->addWidget(label, qstrcmp(key, "s1") == 0 ? 1 : 2);
        }
        m_panels.insert(QString::fromLatin1(key), label);
    }
    m_closeAllButton = new QPushButton(QStringLiteral("删除所有网页"), this);
    m_closeAllButton->setObjectName(QStringLiteral("s3"));
    m_closeAllButton->setFlat(true);
    connect(m_closeAllButton, &QPushButton::clicked, this, [this] {
        runCommand(QStringLiteral("DeleteAll"), [this] { m_tabs->closeAllUnmarked(); });
    });
    statusBar()->addPermanentWidget(m_closeAllButton);

    m_hoverLabel = new QLabel(m_tabs->stack());
    m_hoverLabel->setObjectName(QStringLiteral("hoveredLink"));
    m_hoverLabel->setAutoFillBackground(true);
    m_hoverLabel->setFrameShape(QFrame::StyledPanel);
    m_hoverLabel->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_hoverLabel->hide();
    connect(m_tabs, &TabManager::hoverTextChanged, this, &MainWindow::showHoveredLink);

    auto *batch = new BatchProgressBar(
        this, [this](const QString &panel, const QString &text) { setPanelText(panel, text); });
    batch->follow(m_tabs->loadQueue());
    batch->followDownloads(m_commands->downloadQueue());
    statusBar()->addPermanentWidget(batch);
    m_context->progress = batch;

    connect(m_tabs, &TabManager::panelTextChanged, this, &MainWindow::setPanelText);
    connect(m_tabs, &TabManager::windowCaptionChanged, this,
            [this](const QString &caption) { m_updates->set(QStringLiteral("caption"), caption); });
    connect(m_tabs, &TabManager::addressChanged, this,
            [this](const QString &address) { m_updates->set(QStringLiteral("address"), address); });
}

void MainWindow::buildMenuBar() {
    QMenu *menu = menuBar()->addMenu(QStringLiteral("保存"));
    menu->setObjectName(QStringLiteral("menu_save"));
    // The same four saves as the save button's first entries, run through their keys.
    for (const auto &[key, caption] : std::initializer_list<std::pair<const char *, const char *>>{
             {"onlysave", "保存当前网页(仅HTML，默认路径是程序所在路径)"},
             {"onlysave_x_j",
              "保存当前网页,把相对链接修改为绝对链接(仅HTML，默认路径是程序所在路径)"},
             {"saveallo", "保存所有打开的网页(仅HTML，默认路径是程序所在路径)"},
             {"saveallo_x_j",
              "保存所有打开的网页,把相对链接修改为绝对链接(仅HTML，默认路径是程序所在路径)"}}) {
        const QString entryKey = QString::fromLatin1(key);
        menu->addAction(QString::fromUtf8(caption), m_commands,
                        [this, entryKey] { m_commands->runMenuEntry(entryKey); })
            ->setObjectName(entryKey);
    }
    menu->addSeparator();
    menu->addAction(QStringLiteral("查看当前网页的源代码"), m_commands,
                    [this] {
                        m_commands->runNow(QStringLiteral("view_source"),
                                           [this] { return m_commands->viewSource(); });
                    })
        ->setObjectName(QStringLiteral("view_source"));
    QAction *rule = menu->addAction(QStringLiteral("定义提取文件名的方式"));
    rule->setObjectName(QStringLiteral("SetExtractFilename"));
    connect(rule, &QAction::triggered, this, [this, rule] {
        runCommand(rule->objectName(), [this, rule] { toggleExtractionRule(rule); });
    });
    menu->addAction(m_tabs->stripMenu().reopenAction());
    menu->addAction(QStringLiteral("打印为PDF"), QKeySequence(Qt::CTRL | Qt::Key_P), this,
                    [this] { runCommand(QStringLiteral("printpdf"), [this] { printToPdf(); }); })
        ->setObjectName(QStringLiteral("printpdf"));
    QAction *exit = menu->addAction(QStringLiteral("退出"), this, &QWidget::close);
    exit->setObjectName(QStringLiteral("menu_exit"));
}

void MainWindow::toggleExtractionRule(QAction *rule) {
    const bool on = m_commands->toggleExtractionRule();
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
    m_savePath = m_folder.readSavePath(&m_settingsProblem);
    setPanelText(QStringLiteral("s2"), QString());
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

QAction *MainWindow::findMenuEntry(const QString &key) const {
    if (QAction *entry = m_toolbar->findMenuEntry(key))
        return entry;
    // The menu bar's own entries (view_source, SetExtractFilename, printpdf, menu_exit)
    // carry their keys as object names.
    return menuBar()->findChild<QAction *>(key);
}

bool MainWindow::runCommand(const QString &name, std::function<void()> action) {
    return m_commands->runNow(name, CommandRunner::now(std::move(action)));
}

QString MainWindow::displayPathCaption(const QString &folder) {
    return (QStringLiteral("当前默认保存路径是[") + folder + u']').trimmed();
}

void MainWindow::setPanelText(const QString &panel, const QString &shown) {
    if (panel == QLatin1String("address"))
        setAddressText(shown);
    if (panel != QLatin1String("s2")) {
        if (m_panels.contains(panel))
            m_updates->set(panel, shown);
        return;
    }
    // A notice stays in front for a while; a broken savepath.ini is told until a new save
    // folder is chosen.
    m_s2 = shown;
    QStringList parts;
    for (const QString &part : {m_notice, shown, m_settingsProblem}) {
        if (!part.isEmpty())
            parts.append(part);
    }
    m_updates->set(panel, parts.join(QStringLiteral("　")));
}

void MainWindow::showNotice(const QString &text) {
    m_notice = text;
    setPanelText(QStringLiteral("s2"), QString());
    QTimer::singleShot(kNoticeMs, this, [this, text] {
        if (m_notice != text)
            return; // a later notice holds s2 now
        m_notice.clear();
        setPanelText(QStringLiteral("s2"), m_s2);
    });
}

QString MainWindow::panelText(const QString &panel) const {
    return m_panels.contains(panel) ? m_updates->text(panel) : QString();
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
    } else if (QLabel *label = m_panels.value(key)) {
        label->setText(text);
        label->setToolTip(text);
    }
}

void MainWindow::setSavePath(const QString &folder) {
    m_savePath = folder;
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
    m_tabs->captionsChangedForAll();
    setAddressText(QStringLiteral("当前默认的保存路径是 ") + m_savePath);
    QString error;
    if (m_folder.writeSavePath(m_savePath, &error)) {
        m_settingsProblem.clear();
    } else {
        m_dialogs->message(commands::kNoticeCaption,
                           QStringLiteral("无法写入 savepath.ini：%1").arg(error),
                           Dialogs::Buttons::Ok);
    }
    m_toolbar->setMenuEntryCaption(QStringLiteral("save"), QStringLiteral("displaypath"),
                                   displayPathCaption(m_savePath));
}

void MainWindow::openAddress(const QString &address) {
    const QUrl url = addressForTypedText(address);
    if (url.isEmpty())
        return;
    browser::BrowserView *view = m_tabs->openInNewTab(url);
    m_tabs->bringToFront(view);
    const int existing = m_addressBox->findText(address, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (existing >= 0)
        m_addressBox->removeItem(existing);
    m_addressBox->insertItem(0, address);
    m_addressBox->setCurrentIndex(0);
    setAddressText(address);
}

void MainWindow::openFavouritesTab() {
    m_tabs->bringToFront(m_tabs->openInNewTab(m_folder.favouritesUrl(), true, true));
}

void MainWindow::printToPdf() {
    browser::BrowserView *view = m_tabs->currentView();
    if (!view)
        return;
    saving::NameSources sources;
    sources.kind = saving::SaveKind::Pdf;
    sources.title = view->title();
    const QString name = saving::saveName(sources);
    const QDir folder(m_savePath);
    QString path = folder.filePath(name + QStringLiteral(".pdf"));
    for (int n = 2; QFileInfo::exists(path); ++n)
        path = folder.filePath(QStringLiteral("%1 (%2).pdf").arg(name).arg(n));
    connect(
        view, &browser::BrowserView::pdfPrinted, this,
        [this, path](const QString &printed, bool ok) {
            if (printed != path)
                return;
            setPanelText(QStringLiteral("s2"), ok ? QStringLiteral("已打印为PDF：") + path
                                                  : QStringLiteral("打印为PDF失败：") + path);
        },
        Qt::SingleShotConnection);
    setPanelText(QStringLiteral("s2"), QStringLiteral("正在打印为PDF：") + path);
    view->printToPdf(path);
}

void MainWindow::showHoveredLink(const QString &text) {
    if (text.isEmpty()) {
        m_hoverLabel->hide();
        return;
    }
    const QWidget *area = m_tabs->stack();
    m_hoverLabel->setText(
        m_hoverLabel->fontMetrics().elidedText(text, Qt::ElideMiddle, area->width() * 2 / 3));
    m_hoverLabel->adjustSize();
    m_hoverLabel->move(0, area->height() - m_hoverLabel->height());
    m_hoverLabel->raise();
    m_hoverLabel->show();
}

// What a user of any browser expects from the keyboard.
void MainWindow::addShortcuts() {
    const auto add = [this](const QKeySequence &keys, auto slot) {
        auto *action = new QAction(this);
        action->setShortcut(keys);
        action->setShortcutContext(Qt::WindowShortcut);
        connect(action, &QAction::triggered, this, slot);
        addAction(action);
    };
    add(QKeySequence(Qt::CTRL | Qt::Key_L), [this] {
        m_addressBox->setFocus();
        m_addressBox->lineEdit()->selectAll();
    });
    add(QKeySequence(Qt::CTRL | Qt::Key_W),
        [this] { runCommand(QStringLiteral("DeleteThis"), [this] { m_tabs->closeCurrent(); }); });
    add(QKeySequence(Qt::CTRL | Qt::Key_T),
        [this] { runCommand(QStringLiteral("OpenLink"), [this] { openFavouritesTab(); }); });
    add(QKeySequence(Qt::CTRL | Qt::Key_S),
        [this] { m_commands->runMenuEntry(QStringLiteral("onlysave")); });
    add(QKeySequence(Qt::CTRL | Qt::Key_Tab), [this] { switchTab(1); });
    add(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Tab), [this] { switchTab(-1); });
    add(QKeySequence(Qt::Key_F5), [this] { m_commands->runButton(QStringLiteral("refresh")); });
    add(QKeySequence(Qt::ALT | Qt::Key_Left),
        [this] { m_commands->runButton(QStringLiteral("back")); });
    add(QKeySequence(Qt::ALT | Qt::Key_Right),
        [this] { m_commands->runButton(QStringLiteral("pre")); });
    add(QKeySequence(Qt::CTRL | Qt::Key_F), [this] { m_findBar->openFor(m_tabs->currentView()); });
    add(QKeySequence(Qt::Key_F3), [this] { m_findBar->findNext(false); });
    add(QKeySequence(Qt::SHIFT | Qt::Key_F3), [this] { m_findBar->findNext(true); });
    add(QKeySequence(Qt::CTRL | Qt::Key_Plus), [this] { zoom(1.1); });
    add(QKeySequence(Qt::CTRL | Qt::Key_Equal), [this] { zoom(1.1); });
    add(QKeySequence(Qt::CTRL | Qt::Key_Minus), [this] { zoom(1 / 1.1); });
    add(QKeySequence(Qt::CTRL | Qt::Key_0), [this] { zoom(0); });
}

// Multiplies the current page's zoom by `factor`; 0 goes back to 100%.
void MainWindow::zoom(double factor) {
    browser::BrowserView *view = m_tabs->currentView();
    if (!view)
        return;
    const double zoomed = factor == 0 ? 1.0 : qBound(0.25, view->zoomFactor() * factor, 5.0);
    view->setZoomFactor(zoomed);
    setPanelText(QStringLiteral("s1"), QStringLiteral("缩放 %1%").arg(qRound(zoomed * 100)));
}

void MainWindow::switchTab(int step) {
    const int count = m_tabs->tabCount();
    const int current = m_tabs->tabBar()->currentIndex();
    m_tabs->switchByKeyboard((current + step + count) % count + 1);
}

} // namespace shell
