#include "wholepage.h"

#include "common/htmlcharset.h"
#include "common/textdecoding.h"
#include "cssreferences.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSet>

namespace saving {

namespace {

// "<" and ">" too: a reader of the file that strips tags naively (an indexer) never takes a
// frame's markup in an attribute for the page's text.
QString escapeAttribute(QString text) {
    return text.replace(u'&', QLatin1StringView("&amp;"))
        .replace(u'"', QLatin1StringView("&quot;"))
        .replace(u'<', QLatin1StringView("&lt;"))
        .replace(u'>', QLatin1StringView("&gt;"));
}

// Style text inside a style element: nothing in it may end the element.
QString guardStyleText(QString css) {
    return css.replace(QLatin1StringView("</"), QLatin1StringView("<\\/"));
}

QList<QUrl> urlList(const QJsonValue &value) {
    QList<QUrl> urls;
    for (const QJsonValue &item : value.toArray())
        urls.append(QUrl(item.toString()));
    return urls;
}

QByteArray mimeOf(const QByteArray &contentType) {
    return contentType.split(';').value(0).trimmed().toLower();
}

QByteArray sniffedMimeType(const QByteArray &data) {
    static const struct {
        const char *start;
        int length;
        const char *type;
    } kinds[] = {
        {"\x89PNG", 4, "image/png"}, {"\xFF\xD8\xFF", 3, "image/jpeg"}, {"GIF8", 4, "image/gif"},
        {"BM", 2, "image/bmp"},      {"\0\0\1\0", 4, "image/x-icon"},   {"wOFF", 4, "font/woff"},
        {"wOF2", 4, "font/woff2"},   {"\0\1\0\0", 4, "font/ttf"},       {"OTTO", 4, "font/otf"},
    };
    for (const auto &kind : kinds) {
        if (data.startsWith(QByteArrayView(kind.start, kind.length)))
            return kind.type;
    }
    if (data.startsWith("RIFF") && data.mid(8, 4) == "WEBP")
        return "image/webp";
    if (data.mid(4, 8) == "ftypavif")
        return "image/avif";
    const QByteArray head = data.left(1024).toLower();
    if (head.contains("<svg"))
        return "image/svg+xml";
    return QByteArray();
}

QByteArray mimeTypeByExtension(const QUrl &url) {
    static const QHash<QString, QByteArray> types = {
        {"png", "image/png"},    {"jpg", "image/jpeg"},  {"jpeg", "image/jpeg"},
        {"gif", "image/gif"},    {"webp", "image/webp"}, {"svg", "image/svg+xml"},
        {"ico", "image/x-icon"}, {"avif", "image/avif"}, {"bmp", "image/bmp"},
        {"css", "text/css"},     {"woff", "font/woff"},  {"woff2", "font/woff2"},
        {"ttf", "font/ttf"},     {"otf", "font/otf"},    {"eot", "application/vnd.ms-fontobject"},
    };
    const QString path = url.path();
    return types.value(path.mid(path.lastIndexOf(u'.') + 1).toLower());
}

// Puts the fetched files in place of the tokens of one page.
class Writer {
public:
    Writer(const WholePageCapture &capture, const ResourceTable &table)
        : m_capture(capture), m_table(table),
          m_token(QStringLiteral("lumaro") + QRegularExpression::escape(capture.nonce) +
                  QStringLiteral("([rcsfdh])(\\d+)x")) {}

    QString fill(const QString &html, int depth) {
        QString out;
        out.reserve(html.size());
        qsizetype done = 0;
        bool headFilled = false;
        QRegularExpressionMatchIterator matches = m_token.globalMatch(html);
        while (matches.hasNext()) {
            const QRegularExpressionMatch match = matches.next();
            out += QStringView(html).sliced(done, match.capturedStart() - done);
            done = match.capturedEnd();
            const QChar kind = match.capturedView(1).at(0);
            const qsizetype n = match.capturedView(2).toLongLong();
            if (kind == u'h') {
                out += headStart();
                headFilled = true;
            } else {
                out += filled(kind, n, depth);
            }
        }
        out += QStringView(html).sliced(done);
        if (!headFilled) {
            // A document without a head: the policy goes first, after its document type.
            const qsizetype at = out.startsWith(QLatin1StringView("<!DOCTYPE"), Qt::CaseInsensitive)
                                     ? out.indexOf(u'>') + 1
                                     : 0;
            out.insert(at, headStart());
        }
        return out;
    }

    WholePageGaps gaps() {
        m_gaps.framesLeft = m_capture.framesLeft;
        m_gaps.canvasesLeft = m_capture.canvasesLeft;
        return m_gaps;
    }

private:
    static QString headStart() {
        return QStringLiteral(
                   "<meta charset=\"utf-8\"><meta http-equiv=\"Content-Security-Policy\" "
                   "content=\"") +
               offlinePolicy() + QStringLiteral("\">");
    }

    QString filled(QChar kind, qsizetype n, int depth) {
        if (kind == u'r')
            return n < m_capture.resources.size()
                       ? escapeAttribute(resourceAddress(m_capture.resources[n]))
                       : QString();
        if (kind == u'c') {
            if (n >= m_capture.styles.size())
                return QString();
            const CapturedStyle &style = m_capture.styles[n];
            const QString css = withFiles(style.css, style.base, 0);
            return style.attribute ? escapeAttribute(css) : guardStyleText(css);
        }
        if (kind == u's')
            return n < m_capture.sheets.size() ? guardStyleText(sheetText(m_capture.sheets[n], 0))
                                               : QString();
        // A frame's document, itself filled; frames hold only frames written after them.
        if (n >= m_capture.frames.size() || depth > 16)
            return QString();
        const QString frame = fill(m_capture.frames[n], depth + 1);
        if (kind == u'f')
            return escapeAttribute(frame);
        return dataAddress(frame.toUtf8(), "text/html;charset=utf-8");
    }

    // The "data:" address of a file; its own address when it is left out.
    QString resourceAddress(const QUrl &url) {
        const QString key = resourceKey(url);
        const auto found = m_table.constFind(key);
        if (found != m_table.constEnd() && found->ok)
            return dataAddress(found->data, resourceMimeType(found->data, found->contentType, url));
        noteGap(url, found == m_table.constEnd() ? nullptr : &*found);
        return key;
    }

    void noteGap(const QUrl &url, const FetchedResource *fetched) {
        const QString key = resourceKey(url);
        if (m_noted.contains(key))
            return;
        m_noted.insert(key);
        if (fetched && fetched->tooLarge)
            m_gaps.tooLarge.append(key);
        else
            m_gaps.notFetched.append(QStringLiteral("%1（%2）")
                                         .arg(key, fetched && !fetched->error.isEmpty()
                                                       ? fetched->error
                                                       : QStringLiteral("没有取到")));
    }

    QString withFiles(const QString &css, const QUrl &base, int depth) {
        return replaceCssReferences(css, [&](const CssReference &reference) {
            const QUrl url = referencedFile(reference, base);
            if (url.isEmpty())
                return QString();
            if (!reference.import)
                return resourceAddress(url);
            if (depth >= 8 || m_open.contains(resourceKey(url)))
                return resourceKey(url); // an import that imports itself again
            return dataAddress(sheetText(url, depth + 1).toUtf8(), "text/css;charset=utf-8");
        });
    }

    QString sheetText(const QUrl &url, int depth) {
        const QString key = resourceKey(url);
        if (const auto done = m_sheets.constFind(key); done != m_sheets.constEnd())
            return *done;
        const auto found = m_table.constFind(key);
        if (found == m_table.constEnd() || !found->ok) {
            noteGap(url, found == m_table.constEnd() ? nullptr : &*found);
            return QString();
        }
        m_open.insert(key);
        QString text = decodeStyleSheet(found->data, found->contentType, m_capture.charset);
        // The sheet is written in the file's UTF-8 now.
        static const QRegularExpression charsetRule(QStringLiteral("^\\s*@charset\\s+[^;]*;"),
                                                    QRegularExpression::CaseInsensitiveOption);
        text.remove(charsetRule);
        text = withFiles(text, url, depth);
        m_open.remove(key);
        m_sheets.insert(key, text);
        return text;
    }

    const WholePageCapture &m_capture;
    const ResourceTable &m_table;
    const QRegularExpression m_token;
    WholePageGaps m_gaps;
    QSet<QString> m_noted;
    QSet<QString> m_open;
    QHash<QString, QString> m_sheets;
};

} // namespace

std::optional<WholePageCapture> parseWholePageCapture(const QString &json) {
    const QJsonDocument document = QJsonDocument::fromJson(json.toUtf8());
    const QJsonObject object = document.object();
    static const QRegularExpression hex(QStringLiteral("^[0-9a-f]{16}$"));
    WholePageCapture capture;
    capture.nonce = object.value(QLatin1StringView("nonce")).toString();
    capture.html = object.value(QLatin1StringView("html")).toString();
    if (!hex.match(capture.nonce).hasMatch() || capture.html.isEmpty())
        return std::nullopt;
    capture.url = QUrl(object.value(QLatin1StringView("url")).toString());
    capture.title = object.value(QLatin1StringView("title")).toString();
    capture.charset = object.value(QLatin1StringView("charset")).toString();
    for (const QJsonValue &frame : object.value(QLatin1StringView("frames")).toArray())
        capture.frames.append(frame.toString());
    capture.resources = urlList(object.value(QLatin1StringView("resources")));
    capture.sheets = urlList(object.value(QLatin1StringView("sheets")));
    for (const QJsonValue &value : object.value(QLatin1StringView("styles")).toArray()) {
        const QJsonObject style = value.toObject();
        capture.styles.append({style.value(QLatin1StringView("css")).toString(),
                               QUrl(style.value(QLatin1StringView("base")).toString()),
                               style.value(QLatin1StringView("attribute")).toBool()});
    }
    capture.framesLeft = object.value(QLatin1StringView("framesLeft")).toInt();
    capture.canvasesLeft = object.value(QLatin1StringView("canvasesLeft")).toInt();
    return capture;
}

QString resourceKey(const QUrl &url) {
    return url.adjusted(QUrl::RemoveFragment).toString(QUrl::FullyEncoded);
}

bool mayFetchFor(const QUrl &resource, const QUrl &page) {
    const QString scheme = resource.scheme().toLower();
    if (scheme == u"http" || scheme == u"https")
        return true;
    return scheme == u"file" && page.isLocalFile();
}

QByteArray resourceMimeType(const QByteArray &data, const QByteArray &contentType,
                            const QUrl &url) {
    const QByteArray given = mimeOf(contentType);
    static const QSet<QByteArray> vague = {
        "",           "application/octet-stream", "binary/octet-stream",
        "text/plain", "application/x-download",   "application/force-download"};
    if (!vague.contains(given) && !given.contains('"') && !given.contains(','))
        return given;
    QByteArray sniffed = sniffedMimeType(data);
    if (sniffed.isEmpty())
        sniffed = mimeTypeByExtension(url);
    return sniffed.isEmpty() ? QByteArray("application/octet-stream") : sniffed;
}

QString dataAddress(const QByteArray &data, const QByteArray &mimeType) {
    return QStringLiteral("data:") + QString::fromLatin1(mimeType) + QStringLiteral(";base64,") +
           QString::fromLatin1(data.toBase64());
}

QString decodeStyleSheet(const QByteArray &data, const QByteArray &contentType,
                         const QString &pageCharset) {
    qsizetype bom = 0;
    QByteArray charset = common::chooseCharset(data, common::TextKind::Plain, &bom);
    if (bom == 0) {
        // Else what the sheet says first, what the server says, what the page is in: the first
        // a decoder knows.
        static const QByteArray rule = "@charset \"";
        const qsizetype end = data.startsWith(rule) ? data.indexOf("\";", rule.size()) : -1;
        const QByteArray labels[] = {
            end > 0 ? data.mid(rule.size(), end - rule.size()) : QByteArray(),
            common::charsetInContentType(contentType), pageCharset.toLatin1(), "UTF-8"};
        for (const QByteArray &label : labels) {
            charset = common::charsetForLabel(label);
            if (!charset.isEmpty())
                break;
        }
    }
    return common::withKeptBytesReplaced(
        common::decodeBytes(data, common::TextKind::Plain, charset).text);
}

QString savedFromComment(const QUrl &url) {
    const QString address = url.toString(QUrl::FullyEncoded);
    return QStringLiteral("<!-- saved from url=(%1)%2 -->")
        .arg(address.size(), 4, 10, QLatin1Char('0'))
        .arg(address);
}

QString offlinePolicy() {
    return QStringLiteral("default-src 'none'; img-src data:; style-src 'unsafe-inline' data:; "
                          "font-src data:; media-src data:; frame-src data:; base-uri 'none'; "
                          "form-action 'none'");
}

WholePageFile writeWholePage(const WholePageCapture &capture, const ResourceTable &table,
                             const QDateTime &savedAt) {
    Writer writer(capture, table);
    WholePageFile file;
    const QDateTime withZone = savedAt.toOffsetFromUtc(savedAt.offsetFromUtc());
    file.html = savedFromComment(capture.url) + u'\n' + QStringLiteral("<!-- saved date: ") +
                withZone.toString(Qt::ISODate) + QStringLiteral(" -->\n") +
                writer.fill(capture.html, 0);
    file.gaps = writer.gaps();
    return file;
}

QString gapsSummary(const WholePageGaps &gaps) {
    QStringList parts;
    if (!gaps.notFetched.isEmpty())
        parts.append(QStringLiteral("%1个文件没有取到").arg(gaps.notFetched.size()));
    if (!gaps.tooLarge.isEmpty())
        parts.append(QStringLiteral("%1个文件太大").arg(gaps.tooLarge.size()));
    if (gaps.framesLeft)
        parts.append(QStringLiteral("%1个其他网站的框架").arg(gaps.framesLeft));
    if (!parts.isEmpty())
        parts.last() += QStringLiteral("，留作链接");
    if (gaps.canvasesLeft)
        parts.append(QStringLiteral("%1个画布取自其他网站，没有保存").arg(gaps.canvasesLeft));
    return parts.join(QStringLiteral("，"));
}

QList<StyleReference> styleReferences(const QString &css, const QUrl &base) {
    QList<StyleReference> found;
    for (const CssReference &reference : cssReferences(css)) {
        const QUrl url = referencedFile(reference, base);
        if (!url.isEmpty())
            found.append({url, reference.import});
    }
    return found;
}

} // namespace saving
