#pragma once

#include <QByteArray>
#include <QList>
#include <QLocalServer>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QUrl>

#include <functional>
#include <optional>

class QLocalSocket;

namespace shell {

class MainWindow;

// What one start of the program asks of the window: addresses to open after the tabs that
// are there, and a toolbar menu entry to choose.
struct InstanceRequest {
    QList<QUrl> addresses;
    QString command; // a menu entry key; empty for none
    // A serial to save without dialogs: from `serialStart` into the series `series`
    // (--serial-start URL --series NAME), or, with `serialUpdate`, the new chapters of the
    // series `series` (every finished series when empty) (--serial-update [SERIES]).
    QUrl serialStart{};
    QUrl serialContents{}; // every chapter of this contents page (--serial-contents URL)
    bool serialUpdate = false;
    QString series{};

    QByteArray encode() const; // one line of JSON, ending in '\n'
    static std::optional<InstanceRequest> decode(const QByteArray &line);
};

// Carries out a request in the window, one command at a time: its addresses open as tabs
// after the tabs that are there (the first of them shown) between two commands, never inside
// one; its menu entry is chosen as a click would choose it when its turn comes, and `done` is
// told once it has run (at once for a request without one). False, and nothing done, when no
// menu of the toolbar or the menu bar has the key.
bool carryOut(MainWindow &window, const InstanceRequest &request, std::function<void()> done = {});

// One window per data folder. The first start listens on a local socket named after its data
// folder and carries out what later starts send; a later start hands its request over and
// ends. The socket lives in a folder of the user's own that no one else may enter, and each
// end talks only to a process of the same user.
class InstanceServer : public QObject {
    Q_OBJECT
public:
    // Foreign: a process of another user listens on the socket; nothing was sent to it.
    enum class Reply { NoWindow, Done, UnknownCommand, NoAnswer, Foreign, TooLong };
    // The longest request a window takes (its addresses, encoded): 1 MiB.
    static constexpr qint64 kMaxRequestBytes = 1 << 20;

    // The socket of the window that uses this data folder: a full path in the user's private
    // folder (see privateSocketFolder()). Empty when the user has no such folder.
    static QString socketNameFor(const QString &dataFolder);

    explicit InstanceServer(const QString &socketName, QObject *parent = nullptr);

    // Sends the request to the window listening on the socket and waits for its answer.
    // Blocks; the window must run in another thread or process.
    Reply send(const InstanceRequest &request, int timeoutMs = 20000) const;
    // The same, for main(): no value when no window is listening (this start becomes the
    // window, and listens from now on); otherwise the exit status, a problem having been said
    // on standard error. Without a socket name, or when the socket is another user's, also no
    // value (said on standard error): this start makes a window that works alone.
    std::optional<int> handOver(const InstanceRequest &request);

    // Carries out `request` and every request that arrives in `window`, listening if it does
    // not yet (and may). False when the socket cannot be made: the window still works, alone.
    bool serve(MainWindow &window, const InstanceRequest &request = {});

private:
    // Listens, taking over the socket a crashed window left behind.
    bool listen();
    void acceptConnections();
    void answer(QLocalSocket *socket);

    QString m_socketName;
    bool m_alone = false; // no socket of ours to listen on
    QLocalServer m_server;
    QPointer<MainWindow> m_window;
};

} // namespace shell
