#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <optional>

// A page kept whole in one file: the document as the reader saw it (written out by a script
// in the page, with tokens where its pictures, style sheets, fonts and frames go) and the
// files it used, put in as "data:" addresses, under a policy that lets no browser opening the
// file fetch anything.
namespace saving {

// One file over this is left as a link to it; a page whose files come to more than the
// second limit takes no more of them.
inline constexpr qint64 kWholePageResourceLimit = qint64(20) << 20;
inline constexpr qint64 kWholePageLimit = qint64(200) << 20;
// Files fetched for one page at most: a page naming more leaves the rest as links.
inline constexpr int kWholePageMaxFiles = 5000;

struct CapturedStyle {
    QString css;
    QUrl base;              // what its relative addresses start from
    bool attribute = false; // a style attribute's value, else a style element's text
};

// What the page's script wrote out (see whole_page.js).
struct WholePageCapture {
    QUrl url;
    QString title;
    QString charset; // the page's, which its style sheets are read in when they do not say
    QString nonce;
    QString html;
    QStringList frames;    // documents of frames, written like `html`
    QList<QUrl> resources; // pictures, icons: by number
    QList<CapturedStyle> styles;
    QList<QUrl> sheets;   // linked style sheets: by number
    int framesLeft = 0;   // frames of other sites, left as links
    int canvasesLeft = 0; // canvases drawn from other sites, left empty
};

// Nothing when the text is not such a capture (a page that answered something else).
std::optional<WholePageCapture> parseWholePageCapture(const QString &json);

// A file fetched for the page, as it came.
struct FetchedResource {
    bool ok = false;
    QByteArray data;
    QByteArray contentType; // the server's, e.g. "text/css; charset=gbk"; may be empty
    bool tooLarge = false;  // over kWholePageResourceLimit: not fetched whole
    QString error;
};

// What was fetched for a page, by resourceKey().
using ResourceTable = QHash<QString, FetchedResource>;
QString resourceKey(const QUrl &url);

// Whether a file the page names may be fetched for it: web addresses always, files on this
// computer only for a page that is a file itself.
bool mayFetchFor(const QUrl &resource, const QUrl &page);

// The MIME type a "data:" address gives the bytes: the server's, unless it is missing or
// generic, then what the bytes or the address's extension show.
QByteArray resourceMimeType(const QByteArray &data, const QByteArray &contentType, const QUrl &url);
QString dataAddress(const QByteArray &data, const QByteArray &mimeType);

// A style sheet's text: by its byte-order mark, its @charset, the server's charset, the
// page's charset, else UTF-8.
QString decodeStyleSheet(const QByteArray &data, const QByteArray &contentType,
                         const QString &pageCharset);

// "<!-- saved from url=(0023)http://example.cn/a -->": the line browsers write at the top of
// a page saved whole (the address's length in four digits).
QString savedFromComment(const QUrl &url);
// What no browser opening the file may fetch: everything but "data:" pictures, styles, fonts
// and media; no scripts, no forms sent, no base address.
QString offlinePolicy();

// What the file leaves out, for the report.
struct WholePageGaps {
    QStringList tooLarge;   // files over kWholePageResourceLimit, or past kWholePageLimit
    QStringList notFetched; // files that did not come ("address（why）")
    int framesLeft = 0;
    int canvasesLeft = 0;
    bool any() const {
        return !tooLarge.isEmpty() || !notFetched.isEmpty() || framesLeft || canvasesLeft;
    }
};

// What a report says of the gaps, e.g. "2个文件没有取到，1个文件太大，留作链接"; "" for none.
QString gapsSummary(const WholePageGaps &gaps);

struct WholePageFile {
    QString html;
    WholePageGaps gaps;
};

// The file: the saved-from line, the time saved (ISO 8601 with the zone), then the document
// with its charset (UTF-8) and the offline policy first in each head, and every token put in.
WholePageFile writeWholePage(const WholePageCapture &capture, const ResourceTable &table,
                             const QDateTime &savedAt);

// The addresses a style's text refers to, resolved from `base` (imports first noted).
struct StyleReference {
    QUrl url;
    bool import = false;
};
QList<StyleReference> styleReferences(const QString &css, const QUrl &base);

} // namespace saving
