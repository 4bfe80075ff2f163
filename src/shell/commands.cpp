#include "commands.h"

#include "commandtable.h"
#include "mainwindow.h"
#include "seenlinks.h"
#include "tabmanager.h"
#include "toolbar.h"

#include "browser/browserview.h"
#include "commands/dialogs.h"
#include "commands/serial/sitelearning.h"

#include <QAction>
#include <QPointer>

namespace shell {

using commands::Panel;

using commands::CommandRunner;

using browser::BrowserView;

Commands::Commands(MainWindow &window)
    : QObject(&window), m_window(window), m_pageSaver(window.context(), m_rule),
      m_wholePageSaver(window.context()),
      m_textSaver(window.context()),
      m_links(
          window.context(), window.programFolder(),
          [&window](const QString &key, const QString &caption) {
              return window.toolbar().addMenuEntry(QStringLiteral("paste"), key, caption);
          },
          [&window] { return window.toolbar().isChecked(QStringLiteral("new")); }),
      m_editing(window.context(), window.programFolder(),
                [&window](const QString &button, const QString &key, const QString &caption) {
                    return window.toolbar().addMenuEntry(button, key, caption);
                }),
      m_harvest(window.context(), window.programFolder(),
                [this](BrowserView *view, const QList<QUrl> &urls) {
                    m_downloadQueue.download(view, urls);
                }),
      m_groups(window.context(), window.programFolder(),
               [&window](const QString &key, const QString &caption) {
                   return window.toolbar().addMenuEntry(QStringLiteral("savegroup"), key, caption);
               }),
      m_deletions(window.context(), window.programFolder()),
      m_capture(window.context(),
                window.programFolder().filePath(QStringLiteral("savetemplate/savetext.htm")),
                [this] { return m_runner.isBusy(); }),
      m_serial(window.context()),
      m_files(window.context(), window.programFolder(),
              [&window](const QString &path) {
                  window.setSavePath(path);
                  window.toolbar().setMenuEntryCaption(QStringLiteral("save"),
                                                       QStringLiteral("displaypath"),
                                                       MainWindow::displayPathCaption(path));
              }),
      m_pasteMenu(
          window.context(),
          [&window](const QString &key, const QString &caption) {
              return window.toolbar().addMenuEntry(QStringLiteral("paste"), key, caption);
          },
          [&window] { window.toolbar().clearMenu(QStringLiteral("paste")); }) {
    window.context().runner = &m_runner;
    // The copies made while a command was at work are looked at once it has ended.
    connect(&m_runner, &CommandRunner::finished, this, [this] { m_capture.resume(); });
    window.clipboard().setChangeListener([this] { m_capture.clipboardChanged(); });
    // The favourites page's buttons and the page menu's "以此链接为下一章" are commands too.
    connect(&window.tabs(), &TabManager::favouritesCommand, this,
            [this](BrowserView *view, const QString &name) {
                if (name.startsWith(QLatin1String("refused:"))) {
                    // Only the favourites page's own watcher says this.
                    if (!view || view->url() != m_window.programFolder().favouritesUrl())
                        return;
                    m_window.setPanelText(
                        Panel::Message,
                        QStringLiteral("这个收藏不是网页或文件的地址，没有打开：") + name.mid(8));
                    return;
                }
                runNow(QStringLiteral("FavouritesButton"),
                       CommandRunner::now([this, view = QPointer<BrowserView>(view), name] {
                           if (view)
                               m_links.favouritesButton(view, name);
                       }));
            });
    connect(&window.tabs(), &TabManager::nextChapterLinkChosen, this,
            [this](BrowserView *view, const QUrl &url, const QString &text) {
                runNow(QStringLiteral("SerialNextLink"),
                       CommandRunner::now([this, view = QPointer<BrowserView>(view), url, text] {
                           if (view)
                               m_serial.useLinkAsNextChapter(view, url, text);
                       }));
            });
    connect(&window.tabs(), &TabManager::blockToDropChosen, this,
            [this](BrowserView *view, const QString &selector, const QString &line) {
                runNow(
                    QStringLiteral("SerialDropBlock"),
                    CommandRunner::now([this, view = QPointer<BrowserView>(view), selector, line] {
                        if (view)
                            commands::rememberDroppedBlock(m_window.context(), view->url(),
                                                           selector, line);
                    }));
            });
}

TabManager &Commands::tabs() const {
    return m_window.tabs();
}

void Commands::runMenuEntry(const QString &key, const QString &caption) {
    const Route route = routeMenuKey(key);
    run(*route.command, {route.name, caption});
}

void Commands::runButton(const QString &key) {
    if (const CommandEntry *row = routeButtonKey(key))
        run(*row, {});
}

void Commands::runKey(const QString &key, const MenuChoice &choice) {
    if (const CommandEntry *row = commandForKey(key))
        run(*row, choice);
}

void Commands::runKey(const QString &key) {
    runKey(key, {});
}

void Commands::run(const CommandEntry &row, const MenuChoice &choice) {
    if (row.turn == CommandEntry::Turn::Beside && row.handler.now) {
        row.handler.now(*this, choice);
        return;
    }
    runNow(QString::fromLatin1(row.operation),
           [this, &row, choice] { return row.run(*this, choice); });
}

bool Commands::runNow(const QString &name, CommandRunner::Job job) {
    if (m_handingOver) { // a handed-over key: its own turn is running
        m_handedJob = std::move(job);
        return true;
    }
    if (m_runner.runNow(name, std::move(job)))
        return true;
    tellBusy();
    return false;
}

void Commands::tellBusy() {
    m_window.setPanelText(
        Panel::Message,
        QStringLiteral("正在执行“%1”，请等它结束；要停止它，请按“停止”或Esc")
            .arg(m_runner.running().isEmpty() ? QStringLiteral("另一个命令") : m_runner.running()));
}

bool Commands::knowsKey(const QString &key) const {
    return commandForKey(key) || m_window.toolbar().findMenuEntry(key);
}

bool Commands::enqueueMenuKey(const QString &key, std::function<void()> done) {
    if (const CommandEntry *row = commandForKey(key)) {
        m_runner.enqueue(
            key, [this, row]() -> common::Task<> { co_await row->run(*this, {}); },
            std::move(done));
        return true;
    }
    // An entry added while the program runs (a template, a group, a copied text).
    QAction *entry = m_window.toolbar().findMenuEntry(key);
    if (!entry)
        return false;
    m_runner.enqueue(
        key,
        [this, guarded = QPointer<QAction>(entry)]() -> common::Task<> {
            if (!guarded)
                co_return;
            // Chosen as a click chooses it; the command the entry starts runs in this turn.
            m_handingOver = true;
            guarded->trigger();
            m_handingOver = false;
            const CommandRunner::Job job = std::exchange(m_handedJob, {});
            if (job)
                co_await job();
        },
        std::move(done));
    return true;
}

void Commands::toggleCapture(const QString &entryKey) {
    const bool change = entryKey == QLatin1String("beginsave");
    Toolbar &toolbar = m_window.toolbar();
    const QString save = QStringLiteral("save");
    // The caption shows the state; the capture holds it (a desktop theme may decorate
    // captions with shortcut letters).
    const bool on = !isCapturing(entryKey);
    if (change)
        m_capture.setChangeCapture(on);
    else
        m_capture.setTitleCapture(on);
    if (on) {
        toolbar.setMenuEntryCaption(save, entryKey, QStringLiteral("停止保存"));
        return;
    }
    toolbar.setMenuEntryCaption(
        save, entryKey,
        change ? QStringLiteral("开始保存【粘贴板里得文字一有变化，就会被保存到默认文件夹】")
               : QStringLiteral(
                     "开始保存【如果粘贴板里的文字小于20，就以此为文件名保存到默认文件夹】"));
}

void Commands::toggleOnlyNewLinks() {
    SeenLinks &seen = m_window.seenLinks();
    seen.setOnlyNew(!seen.onlyNew());
    m_window.toolbar().setMenuEntryChecked(QStringLiteral("opena"), QStringLiteral("onlynew"),
                                           seen.onlyNew());
}

bool Commands::isCapturing(const QString &entryKey) const {
    return entryKey == QLatin1String("beginsave") ? m_capture.changeCapture()
                                                  : m_capture.titleCapture();
}

void Commands::showTemplateEditor() {
    m_window.dialogs().editTemplate(
        QString(), {}, [this](const QString &name, const QList<editing::TemplateItem> &items) {
            return m_editing.saveTemplate(name, items);
        });
}

bool Commands::toggleExtractionRule() {
    if (m_rule.enabled) {
        m_rule.enabled = false; // the markers stay for the next time
        return false;
    }
    const auto markers = m_window.dialogs().askExtractionMarkers();
    if (!markers)
        return false;
    m_rule = {true, markers->first, markers->second};
    return true;
}

} // namespace shell
