#include "documentmaker.h"

#include "saveddocument.h"
#include "savedindex.h"
#include "searchfilters.h"

#include <QJsonDocument>
#include <QJsonObject>

namespace fulltext {

namespace {

// The title counts as much as this many mentions in the text.
constexpr Xapian::termcount kTitleWeight = 5;
// The first code point of the CJK blocks (radicals, then punctuation, kana, ideographs, ...).
constexpr char32_t kFirstCjk = 0x2E80;

// English stems for words of other scripts; none for CJK characters and their pairs (an empty
// stem is no term for Xapian's term generator).
class StemNotCjk : public Xapian::StemImplementation {
public:
    std::string operator()(const std::string &word) override {
        if (!word.empty() && *Xapian::Utf8Iterator(word) >= kFirstCjk)
            return std::string();
        return m_english(word);
    }
    std::string get_description() const override { return "english, not CJK"; }

private:
    Xapian::Stem m_english{"english"};
};

} // namespace

DocumentMaker::DocumentMaker() {
    m_generator.set_stemmer(Xapian::Stem(new StemNotCjk));
    m_generator.set_stemming_strategy(Xapian::TermGenerator::STEM_SOME);
    m_generator.set_flags(Xapian::TermGenerator::FLAG_CJK_NGRAM);
}

Xapian::Document DocumentMaker::make(const std::string &id, const QString &kind,
                                     const QString &title, const QString &body,
                                     const QStringList &filters, qint64 mtime, qint64 size,
                                     qint64 saved) {
    Xapian::Document document;
    m_generator.set_document(document);
    const std::string titleBytes = utf8(title);
    m_generator.index_text(titleBytes, 1, "S");
    m_generator.index_text(titleBytes, kTitleWeight);
    m_generator.increase_termpos();
    m_generator.index_text(utf8(body));
    // The generator lets go of the document, which may go to another thread (Xapian's handles
    // count their users without locks).
    m_generator.set_document(Xapian::Document());
    document.add_boolean_term(id);
    document.add_boolean_term("K" + utf8(kind));
    for (const QString &term : filters) {
        const std::string bytes = utf8(term);
        if (qsizetype(bytes.size()) <= kMaxTermBytes)
            document.add_boolean_term(bytes);
    }
    document.add_value(kFormValue, Xapian::sortable_serialise(kDocumentForm));
    document.add_value(kMtimeValue, Xapian::sortable_serialise(double(mtime)));
    document.add_value(kSizeValue, Xapian::sortable_serialise(double(size)));
    document.add_value(kSavedValue, Xapian::sortable_serialise(double(saved)));
    return document;
}

std::optional<Xapian::Document> DocumentMaker::savedFile(const QString &path, const std::string &id,
                                                         qint64 mtime, qint64 size,
                                                         const std::optional<SavedSource> &source) {
    const SavedDocument saved = readSavedDocument(path);
    if (!saved.ok)
        return std::nullopt;
    const qint64 savedTime = source ? source->time : mtime;
    Xapian::Document document =
        make(id, saved.kind, saved.title, saved.body,
             filterTerms(path, source ? source->address : QString()), mtime, size, savedTime);
    document.add_value(kPathValue, utf8(cleanPath(path)));
    QJsonObject data{{QStringLiteral("path"), cleanPath(path)},
                     {QStringLiteral("title"), saved.title},
                     {QStringLiteral("kind"), saved.kind},
                     {QStringLiteral("saved"), savedTime}};
    if (source)
        data.insert(QStringLiteral("source"), source->address);
    document.set_data(QJsonDocument(data).toJson(QJsonDocument::Compact).toStdString());
    return document;
}

} // namespace fulltext
