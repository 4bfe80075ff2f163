#include "instanceserver.h"

#include "commands.h"

#include "browser/bulkopen.h"
#include "browser/localpages.h"
#include "mainwindow.h"
#include "privatesocket.h"
#include "qtdialogs.h"
#include "tabmanager.h"
#include "toolbar.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocalSocket>
#include <QTimer>

#include <cstdio>
#include <unistd.h>

namespace shell {

namespace {

// A request is one short line; anything longer is not from this program.
const QByteArray kDone = "done\n";
const QByteArray kUnknownCommand = "unknown-command\n";

void say(const QString &text) {
    std::fputs((text + u'\n').toLocal8Bit().constData(), stderr);
}

} // namespace

QByteArray InstanceRequest::encode() const {
    QJsonArray open;
    for (const QUrl &url : addresses)
        open.append(url.toString(QUrl::FullyEncoded));
    QJsonObject object{{QStringLiteral("open"), open}, {QStringLiteral("command"), command}};
    if (!serialStart.isEmpty())
        object.insert(QStringLiteral("serialStart"), serialStart.toString(QUrl::FullyEncoded));
    if (!serialContents.isEmpty())
        object.insert(QStringLiteral("serialContents"),
                      serialContents.toString(QUrl::FullyEncoded));
    if (serialUpdate)
        object.insert(QStringLiteral("serialUpdate"), true);
    if (!series.isEmpty())
        object.insert(QStringLiteral("series"), series);
    return QJsonDocument(object).toJson(QJsonDocument::Compact) + '\n';
}

std::optional<InstanceRequest> InstanceRequest::decode(const QByteArray &line) {
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(line, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return std::nullopt;
    InstanceRequest request;
    const QJsonObject object = document.object();
    for (const QJsonValue &value : object.value(QStringLiteral("open")).toArray()) {
        const QUrl url(value.toString(), QUrl::StrictMode);
        if (url.isValid() && !url.isEmpty())
            request.addresses.append(url);
    }
    request.command = object.value(QStringLiteral("command")).toString();
    request.serialStart =
        QUrl(object.value(QStringLiteral("serialStart")).toString(), QUrl::StrictMode);
    request.serialContents =
        QUrl(object.value(QStringLiteral("serialContents")).toString(), QUrl::StrictMode);
    request.serialUpdate = object.value(QStringLiteral("serialUpdate")).toBool();
    request.series = object.value(QStringLiteral("series")).toString();
    return request;
}

bool carryOut(MainWindow &window, const InstanceRequest &request, std::function<void()> done) {
    Commands &commands = window.commands();
    if (!request.command.isEmpty() && !commands.knowsKey(request.command))
        return false;
    QStringList refused;
    const QList<QUrl> addresses = browser::openableAddresses(request.addresses, &refused);
    if (!refused.isEmpty())
        window.showNotice(browser::refusedAddressesText(refused));
    if (!addresses.isEmpty()) {
        // Opened between two commands, never inside one: a command at work may hold the tabs.
        commands.runner().enqueue(QStringLiteral("打开网址"),
                                  [&window, addresses]() -> common::Task<> {
                                      TabManager &tabs = window.tabs();
                                      const int firstNew = tabs.tabCount() + 1;
                                      co_await browser::openHarvestedInTurns(tabs, addresses);
                                      tabs.selectTab(firstNew);
                                  });
    }
    if (!request.serialStart.isEmpty() || request.serialUpdate) {
        const QUrl start = request.serialStart;
        const bool update = request.serialUpdate;
        const QString series = request.series;
        commands.runner().enqueue(QStringLiteral("连续保存"),
                                  commands::CommandRunner::now([&window, start, update, series] {
                                      commands::SerialChain &chain = window.commands().serial();
                                      if (update)
                                          chain.updateSeries(series);
                                      else
                                          chain.startFromAddress(start, series);
                                  }));
    }
    if (!request.serialContents.isEmpty()) {
        const QUrl contents = request.serialContents;
        const QString series = request.series;
        commands.runner().enqueue(QStringLiteral("从目录页保存全部章节"),
                                  [&window, contents, series]() -> common::Task<> {
                                      co_await window.commands().serial().startFromContentsAddress(
                                          contents, series);
                                  });
    }
    if (request.command.isEmpty()) {
        if (done)
            done();
        return true;
    }
    return commands.enqueueMenuKey(request.command, std::move(done));
}

QString InstanceServer::socketNameFor(const QString &dataFolder) {
    const QFileInfo info(dataFolder);
    const QString path = info.exists() ? info.canonicalFilePath() : QDir::cleanPath(dataFolder);
    const QByteArray hash = QCryptographicHash::hash(path.toUtf8(), QCryptographicHash::Sha1);
    // Never the shared temporary folder itself: another user could bind the name there first
    // and receive what later starts hand over.
    const QString folder =
        privateSocketFolder(qEnvironmentVariable("XDG_RUNTIME_DIR"), QDir::tempPath(), ::getuid());
    if (folder.isEmpty())
        return {};
    return QDir(folder).filePath(QStringLiteral("lumaro-") +
                                 QString::fromLatin1(hash.toHex().left(16)));
}

InstanceServer::InstanceServer(const QString &socketName, QObject *parent)
    : QObject(parent), m_socketName(socketName) {
    m_server.setSocketOptions(QLocalServer::UserAccessOption);
    connect(&m_server, &QLocalServer::newConnection, this, &InstanceServer::acceptConnections);
}

InstanceServer::Reply InstanceServer::send(const InstanceRequest &request, int timeoutMs) const {
    if (m_socketName.isEmpty())
        return Reply::NoWindow;
    const QByteArray encoded = request.encode();
    if (encoded.size() > kMaxRequestBytes)
        return Reply::TooLong;
    QLocalSocket socket;
    socket.connectToServer(m_socketName);
    if (!socket.waitForConnected(timeoutMs))
        return Reply::NoWindow;
    // The addresses go to a window of this user only.
    if (peerUid(socket.socketDescriptor()) != ::getuid()) {
        socket.abort();
        return Reply::Foreign;
    }
    socket.write(encoded);
    QByteArray answer;
    while (!answer.endsWith('\n')) {
        if (!socket.waitForReadyRead(timeoutMs))
            return Reply::NoAnswer;
        answer += socket.readAll();
    }
    if (answer == kDone)
        return Reply::Done;
    return answer == kUnknownCommand ? Reply::UnknownCommand : Reply::NoAnswer;
}

std::optional<int> InstanceServer::handOver(const InstanceRequest &request) {
    if (m_socketName.isEmpty()) {
        m_alone = true;
        say(QStringLiteral("没有只属于本用户的文件夹可放本地套接字（$XDG_RUNTIME_DIR，或 %1）："
                           "这个窗口不接收以后启动时交来的网址。")
                .arg(QDir(QDir::tempPath()).filePath(QStringLiteral("lumaro-%1").arg(::getuid()))));
        return std::nullopt;
    }
    switch (send(request)) {
    case Reply::NoWindow:
        // Listening at once, so that a start that comes while the window is being built waits
        // for it instead of making a second window.
        listen();
        return std::nullopt;
    case Reply::Done:
        return 0;
    case Reply::UnknownCommand:
        say(QStringLiteral("没有键为 %1 的菜单项。").arg(request.command));
        return 2;
    case Reply::Foreign:
        // Neither handed over nor taken over: the socket is not this user's to replace.
        m_alone = true;
        say(QStringLiteral("本地套接字 %1 由另一个用户的程序占用，没有把网址交给它；"
                           "这次启动单独打开一个窗口。")
                .arg(m_socketName));
        return std::nullopt;
    case Reply::TooLong:
        say(QStringLiteral("要交给正在运行的 Lumaro 窗口的网址太多：共 %1 KB，一次最多 %2 KB"
                           "（约一万个网址），没有交出。请分几次打开。")
                .arg(request.encode().size() / 1024)
                .arg(kMaxRequestBytes / 1024));
        return 2;
    case Reply::NoAnswer:
        break;
    }
    if (!request.command.isEmpty()) {
        say(QStringLiteral("正在运行的 Lumaro 窗口正忙（在执行别的命令），%1 会在轮到它时执行。")
                .arg(request.command));
        return 1;
    }
    say(QStringLiteral("正在运行的 Lumaro 窗口没有回应。"));
    return 1;
}

bool InstanceServer::serve(MainWindow &window, const InstanceRequest &request) {
    m_window = &window;
    if (!carryOut(window, request))
        say(QStringLiteral("没有键为 %1 的菜单项。").arg(request.command));
    // Starts that came while the window was being built have waited for it.
    for (QLocalSocket *socket : m_server.findChildren<QLocalSocket *>())
        answer(socket);
    return m_server.isListening() || (!m_alone && listen());
}

bool InstanceServer::listen() {
    if (m_server.listen(m_socketName))
        return true;
    // Nobody answered on the socket before this start: it is left over from a crash. (With
    // UserAccessOption, Qt 6.4 already puts the new socket in place of the old file.)
    QLocalServer::removeServer(m_socketName);
    if (m_server.listen(m_socketName))
        return true;
    say(QStringLiteral("无法建立本地套接字 %1：%2").arg(m_socketName, m_server.errorString()));
    return false;
}

void InstanceServer::acceptConnections() {
    while (QLocalSocket *socket = m_server.nextPendingConnection()) {
        // Only this user's own starts hand requests over.
        if (peerUid(socket->socketDescriptor()) != ::getuid()) {
            delete socket;
            continue;
        }
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { answer(socket); });
        answer(socket);
    }
}

void InstanceServer::answer(QLocalSocket *socket) {
    if (!m_window)
        return; // the window is still being built: the request waits for serve()
    if (!socket->canReadLine()) {
        if (socket->bytesAvailable() > kMaxRequestBytes)
            socket->abort();
        return;
    }
    const std::optional<InstanceRequest> request =
        InstanceRequest::decode(socket->readLine(kMaxRequestBytes));
    QPointer<QLocalSocket> guarded(socket);
    const auto reply = [guarded](const QByteArray &text) {
        if (!guarded)
            return; // the caller gave up waiting
        guarded->write(text);
        guarded->disconnectFromServer();
    };
    if (!request) {
        reply("refused\n");
        return;
    }
    // A menu key is answered once it has run; a key that no entry has, at once.
    if (!carryOut(*m_window, *request, [reply] { reply(kDone); })) {
        reply(kUnknownCommand);
        return;
    }
    m_window->raise();
    m_window->activateWindow();
    raiseOpenQuestion(); // a question the window waits on stays on top
}

} // namespace shell
