#include "startupoptions.h"

#include "commandtable.h"

#include "common/urlrules.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QLoggingCategory>
#include <QStandardPaths>

#include <cstdio>
#include <unistd.h>

namespace shell {

namespace {

const char kHelp[] = R"(用法：lumaro [选项] [网址|文件...]
Lumaro浏览器 V2.0：看网页，保存网页和文字，收集链接和电子邮件地址。

每个网址或文件在收藏页之后各开一个新标签。已经有 Lumaro 窗口在用同一个数据文件夹时，
网址和命令都交给那个窗口，这次启动随即结束。

选项：
  -h, --help              显示本帮助并退出
  -v, --version           显示版本并退出
  --data-dir <文件夹>     数据文件夹：收藏页 link.htm、savepath.ini、模板、组、
                          href.txt、email.txt 和浏览器的登录资料都在这里
                          （默认：程序旁有名为 portable 的文件时在程序所在的文件夹，
                          否则在 ~/.local/share/Lumaro）
  --command <键>          在窗口里执行这个键的命令，和点击菜单项或按快捷键一样，
                          例如 --command savealltext；键见下面的列表
  --memory-budget <MB>    程序和它的网页进程一共用的内存超过这么多兆字节时，
                          释放最久没看的后台网页（再看或读取时重新载入）；
                          0 表示从不释放（默认：内存的十六分之一，512 到 1536 之间）
  --serial-start <网址>   从这个网址开始连续保存下一章，不弹出对话框，每两章之间
                          等一秒，章数不限，保存为文本；要和 --series 一起用
  --serial-contents <网址> 从这个目录页保存全部章节（目录分几页时读完每一页），
                          不弹出对话框；要和 --series 一起用
  --series <名字>         连续保存的系列名字（默认保存路径下的文件夹）；已有这个系列时
                          新的章节接在后面，不删除也不重新编号已经保存的章节
  --serial-update [系列]  检查新章节：默认保存路径里已经保存完的系列（只检查给出的
                          那一个）有新章节时接着保存，不弹出对话框
  --                      之后的参数都当作网址或文件
)";

const QString kSeeHelp = QStringLiteral("用 lumaro --help 查看用法。");

StartupOptions finishWith(int status, const QString &message) {
    StartupOptions options;
    options.exitStatus = status;
    options.message = message;
    return options;
}

} // namespace

StartupOptions StartupOptions::parse(const QStringList &arguments, const QString &workingFolder) {
    QCommandLineParser parser;
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")}, QString());
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")}, QString());
    const QCommandLineOption dataDir(QStringLiteral("data-dir"), QString(), QStringLiteral("DIR"));
    const QCommandLineOption command(QStringLiteral("command"), QString(), QStringLiteral("KEY"));
    const QCommandLineOption budget(QStringLiteral("memory-budget"), QString(),
                                    QStringLiteral("MB"));
    const QCommandLineOption serialStart(QStringLiteral("serial-start"), QString(),
                                         QStringLiteral("URL"));
    const QCommandLineOption serialContents(QStringLiteral("serial-contents"), QString(),
                                            QStringLiteral("URL"));
    const QCommandLineOption series(QStringLiteral("series"), QString(), QStringLiteral("NAME"));
    const QCommandLineOption serialUpdate(QStringLiteral("serial-update"), QString());
    parser.addOptions({help, version, dataDir, command, budget, serialStart, serialContents, series,
                       serialUpdate});
    if (!parser.parse(arguments)) {
        QStringList unknown;
        for (const QString &name : parser.unknownOptionNames())
            unknown.append((name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name);
        const QString problem =
            unknown.isEmpty()
                ? QStringLiteral("选项 --data-dir、--command、--memory-budget、--serial-start、"
                                 "--serial-contents 和 --series 后面要跟一个值，--help 和 "
                                 "--version 不带值。")
                : QStringLiteral("不认识的选项：%1。").arg(unknown.join(QStringLiteral("、")));
        return finishWith(2, problem + u'\n' + kSeeHelp + u'\n');
    }
    if (parser.isSet(help))
        return finishWith(0, QString::fromUtf8(kHelp) + QStringLiteral("\n命令的键：\n") +
                                 commandKeyList() + u'\n');
    if (parser.isSet(version))
        return finishWith(
            0, QStringLiteral(
                   "lumaro " LUMARO_VERSION "\n"
                   "许可证：GPL-3.0-or-later（GNU 通用公共许可证第 3 版或更新版本）。\n"
                   "这是自由软件：可以自由修改和再发布。在法律允许的范围内不提供任何担保。\n"));

    StartupOptions options;
    options.dataDir = parser.value(dataDir);
    options.request.command = parser.value(command);
    if ((parser.isSet(dataDir) && options.dataDir.isEmpty()) ||
        (parser.isSet(command) && options.request.command.isEmpty()))
        return finishWith(2, QStringLiteral("--data-dir 和 --command 的值不能为空。\n") + kSeeHelp +
                                 u'\n');
    if (parser.isSet(budget)) {
        bool ok = false;
        const qint64 megabytes = parser.value(budget).trimmed().toLongLong(&ok);
        if (!ok || megabytes < 0 || megabytes > 1024 * 1024)
            return finishWith(2,
                              QStringLiteral("--memory-budget 的值要是兆字节数（0 表示从不释放），"
                                             "不是“%1”。\n")
                                      .arg(parser.value(budget)) +
                                  kSeeHelp + u'\n');
        options.memoryBudgetBytes = megabytes * 1024 * 1024;
    }
    QStringList positional = parser.positionalArguments();
    options.request.series = parser.value(series).trimmed();
    if (parser.isSet(serialStart)) {
        options.request.serialStart = QUrl::fromUserInput(parser.value(serialStart));
        const QUrl &start = options.request.serialStart;
        if (!common::isWebAddress(start) || options.request.series.isEmpty() ||
            parser.isSet(serialUpdate))
            return finishWith(2, QStringLiteral("--serial-start 要跟一个网址（http 或 https），"
                                                "并且要和 --series 名字一起用。\n") +
                                     kSeeHelp + u'\n');
    }
    if (parser.isSet(serialContents)) {
        options.request.serialContents = QUrl::fromUserInput(parser.value(serialContents));
        if (!common::isWebAddress(options.request.serialContents) ||
            options.request.series.isEmpty() || parser.isSet(serialUpdate) ||
            parser.isSet(serialStart))
            return finishWith(2, QStringLiteral("--serial-contents 要跟一个目录页的网址（http 或 "
                                                "https），并且要和 --series 名字一起用。\n") +
                                     kSeeHelp + u'\n');
    }
    if (parser.isSet(serialUpdate)) {
        options.request.serialUpdate = true;
        // The series may follow the option itself: lumaro --serial-update 长夜.
        if (options.request.series.isEmpty() && !positional.isEmpty())
            options.request.series = positional.takeFirst().trimmed();
    }
    for (const QString &argument : std::as_const(positional)) {
        if (argument.trimmed().isEmpty())
            continue;
        const QUrl url = QUrl::fromUserInput(argument, workingFolder);
        if (url.isValid())
            options.request.addresses.append(url);
    }
    return options;
}

StartupOptions StartupOptions::fromCommandLine(int argc, char *argv[]) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    StartupOptions options = parse(arguments, QDir::currentPath());
    if (!options.message.isEmpty()) {
        std::FILE *stream = options.exitStatus == 0 ? stdout : stderr;
        std::fputs(options.message.toLocal8Bit().constData(), stream);
        std::fflush(stream);
    }
    return options;
}

common::FolderLayout StartupOptions::folderLayout() const {
    common::FolderLayoutInput input;
    input.executableFolder = QCoreApplication::applicationDirPath();
    input.dataDirOption = dataDir;
    input.appDataLocation = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    input.documentsLocation = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    input.cacheLocation = QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
    input.workingFolder = QDir::currentPath();
    return common::decideFolderLayout(input);
}

common::ProgramFolder StartupOptions::prepareProgramFolder(const common::FolderLayout &layout) {
    for (const QString &problem : common::prepareDataFolder(layout))
        std::fputs((problem + u'\n').toLocal8Bit().constData(), stderr);
    return common::ProgramFolder(layout.data, layout.defaultSaveFolder);
}

bool turnOffSandboxForRoot() {
    if (geteuid() != 0)
        return false;
    const QByteArray flags = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
    if (flags.contains("--no-sandbox") ||
        qEnvironmentVariableIntValue("QTWEBENGINE_DISABLE_SANDBOX"))
        return false; // already off, by the one who started the program
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS", (flags + " --no-sandbox").trimmed());
    std::fputs("Lumaro：正在以 root 身份运行，浏览器引擎的沙箱已关闭。"
               "用普通用户运行可以保留沙箱。\n",
               stderr);
    return true;
}

void quietEngineLogging() {
    // Rules of QT_LOGGING_RULES, or of a configuration file it names, come after these and win.
    QLoggingCategory::setFilterRules(QStringLiteral("qt.webenginecontext.info=false\njs=false"));
}

} // namespace shell
