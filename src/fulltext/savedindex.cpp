// Xapian's headers come before Qt's, whose keyword macros (signals, slots) they would meet.
#include <xapian.h>

#include "savedindex.h"

#include "common/fileerror.h"
#include "documentmaker.h"
#include "documentsahead.h"
#include "saveddocument.h"
#include "searchfilters.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>

#include <cerrno>
#include <cstring>

namespace fulltext {

namespace {

// The index's note of when its last whole scan ended (seconds since 1970, decimal).
constexpr char kLastScanKey[] = "last-scan-ended";
// How many saved files' documents are made ahead of the one being written.
constexpr int kDocumentsAhead = 8;

double valueNumber(const Xapian::Document &document, Xapian::valueno slot) {
    const std::string value = document.get_value(slot);
    return value.empty() ? -1 : Xapian::sortable_unserialise(value);
}

bool isUnder(const QString &path, const QStringList &folders) {
    for (const QString &folder : folders) {
        if (path.startsWith(folder) &&
            (path.size() == folder.size() || path[folder.size()] == u'/' || folder.endsWith(u'/')))
            return true;
    }
    return false;
}

QString compactingFolder(const QString &folder) {
    return QDir::cleanPath(folder) + QStringLiteral(".compacting");
}
QString replacedFolder(const QString &folder) {
    return QDir::cleanPath(folder) + QStringLiteral(".replaced");
}

// Finishes or undoes a compaction that a kill interrupted. The packed copy is complete once
// the old index has been moved aside, and only then.
void recoverCompaction(const QString &folder) {
    const QString packed = compactingFolder(folder);
    const QString old = replacedFolder(folder);
    if (!QFileInfo::exists(folder)) {
        if (QFileInfo::exists(old) && QFileInfo::exists(packed))
            QDir().rename(packed, folder);
        else if (QFileInfo::exists(old))
            QDir().rename(old, folder);
    }
    if (QFileInfo::exists(folder)) {
        QDir(packed).removeRecursively();
        QDir(old).removeRecursively();
    }
}

bool isDamage(const Xapian::Error &error) {
    const std::string type = error.get_type();
    return type == "DatabaseCorruptError" || type == "DatabaseVersionError" ||
           type == "DatabaseOpeningError" ||
           (type == "DatabaseError" && error.get_error_string() == nullptr);
}

} // namespace

IndexFault faultOf(const Xapian::Error &error, const QString &folder) {
    const QString message = QString::fromStdString(error.get_description());
    const char *cause = error.get_error_string();
    const bool noRoom = (cause && (std::strcmp(cause, std::strerror(ENOSPC)) == 0 ||
                                   std::strcmp(cause, std::strerror(EDQUOT)) == 0));
    if (noRoom || (!folder.isEmpty() && common::diskNearlyFull(folder)))
        return {IndexFault::NoSpace, message};
    return {isDamage(error) ? IndexFault::Damaged : IndexFault::Failed, message};
}

struct SavedIndex::Private {
    Private(Xapian::WritableDatabase database, QString path)
        : db(std::move(database)), folder(std::move(path)) {}
    Xapian::WritableDatabase db;
    DocumentMaker maker;
    QString folder;
    IndexFault fault;
};

std::string utf8(const QString &text) {
    const QByteArray bytes = text.toUtf8();
    return std::string(bytes.constData(), size_t(bytes.size()));
}

QString cleanPath(const QString &path) {
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

namespace {

// "Q" and `key`, or a hash of it when the term would be longer than Xapian takes.
std::string uniqueTerm(const QByteArray &key) {
    if (key.size() + 1 <= kMaxTermBytes)
        return "Q" + key.toStdString();
    return "Q#" + QCryptographicHash::hash(key, QCryptographicHash::Sha1).toHex().toStdString();
}

} // namespace

std::string idTerm(const QString &path) {
    return uniqueTerm(cleanPath(path).toUtf8());
}

std::string readIdTerm(const QString &address) {
    return uniqueTerm("read:" + address.toUtf8());
}

std::unique_ptr<SavedIndex> SavedIndex::open(const QString &folder, QString *error,
                                             QString *movedAside) {
    recoverCompaction(folder);
    const std::string path = utf8(folder);
    for (int attempt = 0; attempt < 2; ++attempt) {
        try {
            // Commits do not wait for the disk (a page indexed in 47 ms, not 169): a killed
            // program loses nothing the kernel has, and what a power cut could break is made
            // again from the files, like any broken index.
            Xapian::WritableDatabase db(path, Xapian::DB_CREATE_OR_OPEN | Xapian::DB_NO_SYNC);
            return std::unique_ptr<SavedIndex>(
                new SavedIndex(std::make_unique<Private>(std::move(db), folder)));
        } catch (const Xapian::Error &e) {
            // Corrupt, half-made or of another format: the files can make it again. A lock
            // held by another writer, or a folder that cannot be written, is no such case.
            if (attempt > 0 || !isDamage(e) || faultOf(e, folder).kind != IndexFault::Damaged) {
                if (error)
                    *error = QString::fromStdString(e.get_description());
                return nullptr;
            }
            const QString aside = moveAside(folder);
            if (aside.isEmpty()) {
                if (error)
                    *error = QStringLiteral("cannot move the broken index %1 aside").arg(folder);
                return nullptr;
            }
            if (movedAside)
                *movedAside = aside;
        }
    }
    return nullptr;
}

QString SavedIndex::moveAside(const QString &folder) {
    return common::moveAsideBroken(folder);
}

bool SavedIndex::isWhole(const QString &folder) {
    // Every document, its data, values and terms, and every term's postings: each table that
    // a search reads is read through. (Xapian's own Database::check does so too, but mixes up
    // its allocations under the address sanitizer.)
    try {
        const Xapian::Database db(utf8(folder));
        for (auto term = db.allterms_begin(); term != db.allterms_end(); ++term) {
            for (auto post = db.postlist_begin(*term); post != db.postlist_end(*term); ++post)
                (void)post.get_wdf();
        }
        for (auto id = db.postlist_begin(std::string()); id != db.postlist_end(std::string());
             ++id) {
            const Xapian::Document document = db.get_document(*id);
            (void)document.get_data();
            (void)document.get_value(kPathValue);
            for (auto term = document.termlist_begin(); term != document.termlist_end(); ++term)
                (void)term.get_wdf();
        }
        return true;
    } catch (const Xapian::Error &e) {
        return !isDamage(e);
    }
}

SavedIndex::SavedIndex(std::unique_ptr<Private> p) : d(std::move(p)) {}

SavedIndex::~SavedIndex() = default;

int SavedIndex::documentCount() const {
    try {
        return int(d->db.get_doccount());
    } catch (const Xapian::Error &) {
        return 0;
    }
}

int SavedIndex::readPageCount() const {
    try {
        return int(d->db.get_termfreq(std::string("K") + kReadKind));
    } catch (const Xapian::Error &) {
        return 0;
    }
}

qint64 SavedIndex::lastScanEnded() const {
    try {
        return QByteArray::fromStdString(d->db.get_metadata(kLastScanKey)).toLongLong();
    } catch (const Xapian::Error &) {
        return 0;
    }
}

const IndexFault &SavedIndex::fault() const {
    return d->fault;
}

void SavedIndex::noteFault(const Xapian::Error &error) {
    if (!d->fault)
        d->fault = faultOf(error, d->folder);
}

void SavedIndex::storeDocument(const std::string &id,
                               const std::optional<Xapian::Document> &document) {
    if (document)
        d->db.replace_document(id, *document);
    else
        d->db.delete_document(id);
}

bool SavedIndex::indexFile(const QString &path, const std::optional<SavedSource> &source,
                           bool force, Stats *stats) {
    if (d->fault)
        return false;
    try {
        return indexFileOrThrow(path, source, force, stats);
    } catch (const Xapian::Error &e) {
        noteFault(e);
        return false;
    }
}

namespace {

enum class FileState { Gone, Unchanged, Stale };

// How the index stands to the file at `path`: gone from the disk, indexed as it is (same
// size and mtime, and a document of the current form; never with `force`), or to be made.
// Fills in the file's id, and its mtime and size when it is there; `known` tells whether the
// index holds a document of it.
FileState fileState(const Xapian::Database &db, const QString &path, bool force,
                    DocumentsAhead::File *file, bool *known) {
    file->path = path;
    file->id = idTerm(path);
    const QFileInfo info(path);
    Xapian::PostingIterator found = db.postlist_begin(file->id);
    *known = found != db.postlist_end(file->id);
    if (!info.isFile())
        return FileState::Gone;
    file->mtime = info.lastModified().toSecsSinceEpoch();
    file->size = info.size();
    if (*known && !force) {
        const Xapian::Document old = db.get_document(*found);
        if (valueNumber(old, kMtimeValue) == double(file->mtime) &&
            valueNumber(old, kSizeValue) == double(file->size) &&
            valueNumber(old, kFormValue) == kDocumentForm)
            return FileState::Unchanged;
    }
    return FileState::Stale;
}

// A file that needs no reading (gone, or indexed as it is): its document taken out when it is
// gone, counted. Returns whether the index changed.
bool settleFile(Xapian::WritableDatabase &db, FileState state, const std::string &id, bool known,
                SavedIndex::Stats *stats) {
    if (state == FileState::Unchanged) {
        if (stats)
            ++stats->unchanged;
        return false;
    }
    if (!known)
        return false;
    db.delete_document(id);
    if (stats)
        ++stats->removed;
    return true;
}

void countStored(bool stored, bool known, SavedIndex::Stats *stats) {
    if (stats)
        ++(!stored ? stats->failed : known ? stats->changed : stats->added);
}

} // namespace

bool SavedIndex::indexFileOrThrow(const QString &path, const std::optional<SavedSource> &source,
                                  bool force, Stats *stats) {
    DocumentsAhead::File file;
    bool known = false;
    if (const FileState state = fileState(d->db, path, force, &file, &known);
        state != FileState::Stale)
        return settleFile(d->db, state, file.id, known, stats);
    const std::optional<Xapian::Document> document =
        d->maker.savedFile(path, file.id, file.mtime, file.size, source);
    storeDocument(file.id, document);
    countStored(document.has_value(), known, stats);
    return true;
}

bool SavedIndex::removeFile(const QString &path) {
    return removeDocument(idTerm(path));
}

bool SavedIndex::removeDocument(const std::string &id) {
    if (d->fault)
        return false;
    try {
        if (!d->db.term_exists(id))
            return false;
        d->db.delete_document(id);
        return true;
    } catch (const Xapian::Error &e) {
        noteFault(e);
        return false;
    }
}

namespace {

// `text` cut to at most `bytes` bytes of UTF-8, never inside a character.
QString cutToUtf8Bytes(const QString &text, qsizetype bytes) {
    QByteArray utf8Text = text.toUtf8();
    if (utf8Text.size() <= bytes)
        return text;
    qsizetype end = bytes;
    while (end > 0 && (quint8(utf8Text.at(end)) & 0xC0) == 0x80)
        --end; // back to the first byte of the character cut
    utf8Text.truncate(end);
    return QString::fromUtf8(utf8Text);
}

} // namespace

bool SavedIndex::indexReadPage(const ReadPage &page) {
    if (d->fault || page.address.isEmpty())
        return false;
    try {
        const std::string id = readIdTerm(page.address);
        Xapian::PostingIterator found = d->db.postlist_begin(id);
        if (found != d->db.postlist_end(id)) {
            const double before = valueNumber(d->db.get_document(*found), kSavedValue);
            if (QDateTime::fromSecsSinceEpoch(qint64(before)).date() ==
                QDateTime::fromSecsSinceEpoch(page.time).date())
                return false;
        }
        const QString text = cutToUtf8Bytes(page.text, kMaxReadTextBytes);
        Xapian::Document document = d->maker.make(id, QLatin1String(kReadKind), page.title, text,
                                                  filterTerms(QString(), page.address), page.time,
                                                  text.toUtf8().size(), page.time);
        const QJsonObject data{{QStringLiteral("title"), page.title},
                               {QStringLiteral("kind"), QLatin1String(kReadKind)},
                               {QStringLiteral("source"), page.address},
                               {QStringLiteral("saved"), page.time},
                               {QStringLiteral("text"), text}};
        document.set_data(QJsonDocument(data).toJson(QJsonDocument::Compact).toStdString());
        d->db.replace_document(id, document);
        return true;
    } catch (const Xapian::Error &e) {
        noteFault(e);
        return false;
    }
}

int SavedIndex::removeReadPages(const QString &host, qint64 since) {
    if (d->fault)
        return -1;
    try {
        Xapian::Query query(std::string("K") + kReadKind);
        if (!host.isEmpty())
            query = Xapian::Query(Xapian::Query::OP_FILTER, query,
                                  Xapian::Query(utf8(u'H' + host.toLower())));
        if (since > 0)
            query = Xapian::Query(Xapian::Query::OP_FILTER, query,
                                  Xapian::Query(Xapian::Query::OP_VALUE_GE, kSavedValue,
                                                Xapian::sortable_serialise(double(since))));
        Xapian::Enquire enquire(d->db);
        enquire.set_query(query);
        enquire.set_weighting_scheme(Xapian::BoolWeight());
        const Xapian::MSet found = enquire.get_mset(0, d->db.get_doccount());
        for (auto it = found.begin(); it != found.end(); ++it)
            d->db.delete_document(*it);
        return int(found.size());
    } catch (const Xapian::Error &e) {
        noteFault(e);
        return -1;
    }
}

bool SavedIndex::removeReadPage(const QString &address) {
    return removeDocument(readIdTerm(address));
}

SavedIndex::Stats SavedIndex::updateFolders(const QStringList &folders,
                                            const QHash<QString, SavedSource> &sources,
                                            const std::function<bool()> &cancelled, int commitEvery,
                                            const std::function<void(int, int)> &progress) {
    Stats stats;
    if (d->fault)
        return stats;
    QStringList roots;
    for (const QString &folder : folders)
        roots.append(cleanPath(folder));
    // The files are counted first, so that the user can be told how far a scan has come.
    QStringList files;
    for (const QString &root : std::as_const(roots)) {
        QDirIterator it(root, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = cleanPath(it.next());
            if (isIndexedFile(path))
                files.append(path);
        }
    }
    const QSet<QString> present(files.cbegin(), files.cend());
    const int total = int(files.size());
    int pending = 0;
    const auto commitNow = [&] {
        if (++pending >= commitEvery) {
            d->db.commit();
            pending = 0;
        }
    };
    try {
        // First what the index holds as it is and what is gone, then the files to read, read
        // ahead on another thread. Progress counts the files settled.
        QList<DocumentsAhead::File> stale;
        QList<bool> staleKnown;
        int settled = 0;
        for (const QString &path : std::as_const(files)) {
            if (progress && settled % 16 == 0)
                progress(settled, total);
            if (cancelled && cancelled()) {
                d->db.commit();
                return stats;
            }
            DocumentsAhead::File file;
            bool known = false;
            // A file gone here was deleted since it was counted.
            if (const FileState state = fileState(d->db, path, false, &file, &known);
                state != FileState::Stale) {
                if (settleFile(d->db, state, file.id, known, &stats))
                    commitNow();
                ++settled;
                continue;
            }
            if (const auto source = sources.constFind(savedSourceKey(path));
                source != sources.cend())
                file.source = *source;
            stale.append(std::move(file));
            staleKnown.append(known);
        }
        DocumentsAhead ahead(stale, kDocumentsAhead);
        for (qsizetype i = 0; i < stale.size(); ++i) {
            if (progress && i % 16 == 0)
                progress(settled + int(i), total);
            if (cancelled && cancelled()) {
                d->db.commit();
                return stats;
            }
            const std::optional<Xapian::Document> document = ahead.next();
            storeDocument(stale.at(i).id, document);
            countStored(document.has_value(), staleKnown.at(i), &stats);
            commitNow();
        }
        if (progress)
            progress(total, total);
        // Documents of files under these folders that were not met are gone (deleted or moved).
        QList<std::string> gone;
        for (auto it = d->db.valuestream_begin(kPathValue); it != d->db.valuestream_end(kPathValue);
             ++it) {
            const QString path = QString::fromStdString(*it);
            if (isUnder(path, roots) && !present.contains(path))
                gone.append(idTerm(path));
        }
        for (const std::string &id : std::as_const(gone)) {
            d->db.delete_document(id);
            ++stats.removed;
        }
        d->db.set_metadata(kLastScanKey, std::to_string(QDateTime::currentSecsSinceEpoch()));
        d->db.commit();
    } catch (const Xapian::Error &e) {
        noteFault(e);
    }
    return stats;
}

bool SavedIndex::compact(const QString &folder, QString *error) {
    const QString packed = compactingFolder(folder);
    const QString old = replacedFolder(folder);
    QDir(packed).removeRecursively();
    try {
        Xapian::Database(utf8(folder)).compact(utf8(packed), Xapian::DBCOMPACT_NO_RENUMBER);
    } catch (const Xapian::Error &e) {
        QDir(packed).removeRecursively();
        if (error)
            *error = QString::fromStdString(e.get_description());
        return false;
    }
    if (!QDir().rename(folder, old)) {
        QDir(packed).removeRecursively();
        if (error)
            *error = QStringLiteral("cannot move %1 aside").arg(folder);
        return false;
    }
    if (!QDir().rename(packed, folder)) {
        QDir().rename(old, folder);
        if (error)
            *error = QStringLiteral("cannot put the packed index in place of %1").arg(folder);
        return false;
    }
    QDir(old).removeRecursively();
    return true;
}

bool SavedIndex::commit() {
    if (d->fault)
        return false;
    try {
        d->db.commit();
        return true;
    } catch (const Xapian::Error &e) {
        noteFault(e);
        return false;
    }
}

} // namespace fulltext
