// The writer the kill soak stops at random moments, and the checker it runs after each kill.
//
//   soak_writer init FOLDER LINK_HTM   copies the favourites page into the empty FOLDER
//   soak_writer run FOLDER SEED        saves pages, edits link.htm and appends to href.txt
//                                      until it is killed
//   soak_writer check FOLDER           prints "files N torn T temporaries K"; status 1 when
//                                      T > 0
//
// Every file must be whole after any kill: a page carries its own length and checksum in its
// first line; link.htm must be one of the versions the writer meant to write (each is listed
// in FOLDER.versions beside the folder, synced, before it replaces the file); every href.txt
// line is a record with its checksum. FOLDER may be a small file system that fills up: writes
// then fail, and the files must still be whole.
#include "common/ansifile.h"
#include "links/favouritesfile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSet>

#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace {

quint64 checksum(const QByteArray &bytes) {
    quint64 hash = 14695981039346656037ull;
    for (char c : bytes) {
        hash ^= quint8(c);
        hash *= 1099511628211ull;
    }
    return hash;
}

QString fingerprint(const QByteArray &bytes) {
    return QStringLiteral("%1 %2").arg(bytes.size()).arg(checksum(bytes), 16, 16, QChar(u'0'));
}

QByteArray bytesOf(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Text of `length` characters, Chinese and ASCII mixed, with line ends.
QString randomText(QRandomGenerator &random, qsizetype length) {
    static const QString pieces[] = {QStringLiteral("新闻"),  QStringLiteral("<p>段落</p>"),
                                     QStringLiteral("abc "),  QStringLiteral("\r\n"),
                                     QStringLiteral("&amp;"), QStringLiteral("链接 ")};
    QString text;
    text.reserve(length + 16);
    while (text.size() < length)
        text += pieces[random.bounded(6)];
    return text;
}

// Lists a version of link.htm before it is written: appended and synced by hand, so that the
// list is never behind the file it describes.
bool listVersion(const QString &folder, const QByteArray &bytes) {
    const QByteArray line = (fingerprint(bytes) + QStringLiteral("\n")).toLatin1();
    const int fd = ::open(QFile::encodeName(folder + QStringLiteral(".versions")).constData(),
                          O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    const bool ok =
        ::write(fd, line.constData(), size_t(line.size())) == line.size() && ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

void savePage(const QString &folder, QRandomGenerator &random) {
    const QString body = randomText(random, random.bounded(1000, 1500000));
    const QByteArray encoded = common::encodeText(body);
    const QString header = QStringLiteral("<!-- %1 -->\r\n").arg(fingerprint(encoded));
    const QString path = QStringLiteral("%1/page%2.htm").arg(folder).arg(random.bounded(4));
    common::writeTextFile(path, header + body);
}

void editFavourites(const QString &folder, QRandomGenerator &random) {
    namespace favourites = links::favourites;
    const QString path = folder + QStringLiteral("/link.htm");
    const common::TextFileContent file = common::readTextFile(path);
    if (!file.ok)
        return;
    QString text = file.text;
    static const QRegularExpression button(QStringLiteral("name=\"(B2[A-Y]{15})\""));
    QStringList names;
    for (const auto &match : button.globalMatch(text))
        names += match.captured(1);
    if (!names.isEmpty() && (names.size() > 40 || random.bounded(3) == 0)) {
        if (favourites::deleteEntry(text, names[random.bounded(int(names.size()))]) !=
            favourites::EditResult::Done)
            return;
    } else {
        const auto added =
            favourites::addEntry(text, QStringLiteral("http://127.0.0.1/%1").arg(random.generate()),
                                 randomText(random, random.bounded(1, 400)), favourites::newKey());
        if (!added)
            return;
        text = *added;
    }
    text += QStringLiteral("\r\n");
    if (listVersion(folder, common::encodeText(text, file.encoding)))
        common::writeTextFile(path, text, file.encoding);
}

void appendHref(const QString &folder, QRandomGenerator &random) {
    const QByteArray payload = common::encodeText(randomText(random, random.bounded(10, 5000)))
                                   .replace('\r', ' ')
                                   .replace('\n', ' ');
    const QString record =
        fingerprint(payload) + u' ' + QString::fromLatin1(payload.toHex()) + QStringLiteral("\r\n");
    common::appendTextFile(folder + QStringLiteral("/href.txt"), record);
}

int run(const QString &folder, quint32 seed) {
    QRandomGenerator random(seed);
    for (;;) {
        switch (random.bounded(3)) {
        case 0:
            savePage(folder, random);
            break;
        case 1:
            editFavourites(folder, random);
            break;
        default:
            appendHref(folder, random);
            break;
        }
    }
}

bool pageIsWhole(const QByteArray &bytes) {
    const qsizetype lineEnd = bytes.indexOf("\r\n");
    if (!bytes.startsWith("<!-- ") || lineEnd < 0)
        return false;
    return bytes.first(lineEnd) ==
           QStringLiteral("<!-- %1 -->").arg(fingerprint(bytes.sliced(lineEnd + 2))).toLatin1();
}

bool hrefIsWhole(const QByteArray &bytes) {
    if (bytes.isEmpty())
        return true;
    if (!bytes.endsWith("\r\n"))
        return false;
    for (const QByteArray &line : bytes.chopped(2).split('\n')) {
        const QList<QByteArray> fields = line.trimmed().split(' ');
        if (fields.size() != 3)
            return false;
        const QByteArray payload = QByteArray::fromHex(fields[2]);
        if (fingerprint(payload).toLatin1() != fields[0] + ' ' + fields[1])
            return false;
    }
    return true;
}

int check(const QString &folder) {
    const QDir dir(folder);
    QSet<QString> versions;
    for (const QByteArray &line : bytesOf(folder + QStringLiteral(".versions")).split('\n'))
        versions.insert(QString::fromLatin1(line));
    int files = 0;
    int torn = 0;
    int temporaries = 0;
    for (const QString &name : dir.entryList(QDir::Files | QDir::Hidden)) {
        const QByteArray bytes = bytesOf(dir.filePath(name));
        bool whole = true;
        if (name == QStringLiteral("link.htm"))
            whole = versions.contains(fingerprint(bytes));
        else if (name == QStringLiteral("href.txt"))
            whole = hrefIsWhole(bytes);
        else if (QRegularExpression(QStringLiteral("^page\\d\\.htm$")).match(name).hasMatch())
            whole = pageIsWhole(bytes);
        else {
            ++temporaries; // a replacement the kill stopped before it took the file's name
            continue;
        }
        ++files;
        if (!whole) {
            ++torn;
            std::fprintf(stderr, "torn: %s (%lld bytes)\n", qPrintable(name),
                         static_cast<long long>(bytes.size()));
        }
    }
    std::printf("files %d torn %d temporaries %d\n", files, torn, temporaries);
    return torn == 0 ? 0 : 1;
}

int init(const QString &folder, const QString &favourites) {
    const QByteArray bytes = bytesOf(favourites);
    if (bytes.isEmpty() || !listVersion(folder, bytes) ||
        !QFile::copy(favourites, folder + QStringLiteral("/link.htm")))
        return 2;
    return 0;
}

} // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 4 && args[1] == QStringLiteral("init"))
        return init(args[2], args[3]);
    if (args.size() == 4 && args[1] == QStringLiteral("run"))
        return run(args[2], args[3].toUInt());
    if (args.size() == 3 && args[1] == QStringLiteral("check"))
        return check(args[2]);
    std::fprintf(stderr, "usage: soak_writer init FOLDER LINK_HTM | run FOLDER SEED | check "
                         "FOLDER\n");
    return 2;
}
