#include "chainstate.h"

#include "common/ansifile.h"

#include <QDir>
#include <QHash>

namespace serial {

namespace {

const QString kCrLf = QStringLiteral("\r\n");

} // namespace

std::optional<ChainState> parseChainOptions(const QString &text) {
    const QStringList parts = text.simplified().split(QLatin1Char(' '));
    if (parts.size() != 3)
        return std::nullopt;
    bool secondsOk = false;
    bool countOk = false;
    const double seconds = parts.at(0).toDouble(&secondsOk);
    const int count = parts.at(1).toInt(&countOk);
    const QString format = parts.at(2).toLower();
    if (!secondsOk || seconds < 0 || seconds > 3600 || !countOk || count < 0)
        return std::nullopt;
    ChainState state;
    state.delayMs = int(seconds * 1000);
    state.limit = count;
    if (format == QLatin1String("html"))
        state.format = ChapterFormat::Html;
    else if (format != QStringLiteral("文本") && format != QLatin1String("text"))
        return std::nullopt;
    return state;
}

QString formatChainState(const ChainState &state) {
    QString text;
    const auto line = [&text](const QString &key, const QString &value) {
        // A value never spans lines: the reader takes one line per key.
        QString flat = value;
        flat.replace(QLatin1Char('\r'), QLatin1Char(' '))
            .replace(QLatin1Char('\n'), QLatin1Char(' '));
        text += key + QLatin1Char('=') + flat + kCrLf;
    };
    line(QStringLiteral("version"), QStringLiteral("1"));
    line(QStringLiteral("title"), state.title);
    line(QStringLiteral("next"), state.next.toString(QUrl::FullyEncoded));
    line(QStringLiteral("count"), QString::number(state.count));
    line(QStringLiteral("format"),
         state.format == ChapterFormat::Html ? QStringLiteral("html") : QStringLiteral("text"));
    line(QStringLiteral("delay"), QString::number(state.delayMs));
    line(QStringLiteral("limit"), QString::number(state.limit));
    line(QStringLiteral("choice"), QString::number(state.choice));
    line(QStringLiteral("linktext"), state.linkText);
    line(QStringLiteral("continues"), state.continues ? QStringLiteral("1") : QStringLiteral("0"));
    line(QStringLiteral("firsttitle"), state.firstTitle);
    line(QStringLiteral("titlesuffix"), state.titleSuffix);
    line(QStringLiteral("author"), state.author);
    if (state.fromList)
        line(QStringLiteral("list"), QStringLiteral("1"));
    line(QStringLiteral("finished"), state.finished ? QStringLiteral("1") : QStringLiteral("0"));
    line(QStringLiteral("end"), QStringLiteral("1"));
    return text;
}

std::optional<ChainState> parseChainState(QStringView text) {
    QHash<QString, QString> values;
    const QStringList lines =
        text.toString().replace(kCrLf, QStringLiteral("\n")).split(QLatin1Char('\n'));
    for (const QString &line : lines) {
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (equals > 0)
            values.insert(line.left(equals).trimmed(), line.mid(equals + 1));
    }
    if (values.value(QStringLiteral("version")) != QLatin1String("1") ||
        values.value(QStringLiteral("end")) != QLatin1String("1"))
        return std::nullopt;
    ChainState state;
    state.title = values.value(QStringLiteral("title"));
    state.next = QUrl(values.value(QStringLiteral("next")), QUrl::StrictMode);
    bool countOk = false;
    bool delayOk = false;
    bool limitOk = false;
    state.count = values.value(QStringLiteral("count")).toInt(&countOk);
    state.delayMs = values.value(QStringLiteral("delay")).toInt(&delayOk);
    state.limit = values.value(QStringLiteral("limit")).toInt(&limitOk);
    const QString format = values.value(QStringLiteral("format"));
    if (!countOk || state.count < 0 || !delayOk || state.delayMs < 0 || !limitOk || state.limit < 0)
        return std::nullopt;
    state.finished = values.value(QStringLiteral("finished")) == QLatin1String("1");
    state.choice = qMax(0, values.value(QStringLiteral("choice")).toInt());
    state.linkText = values.value(QStringLiteral("linktext"));
    state.continues = values.value(QStringLiteral("continues")) == QLatin1String("1");
    state.firstTitle = values.value(QStringLiteral("firsttitle"));
    state.titleSuffix = values.value(QStringLiteral("titlesuffix"));
    state.author = values.value(QStringLiteral("author"));
    state.fromList = values.value(QStringLiteral("list")) == QLatin1String("1");
    if (!state.finished && (!state.next.isValid() || state.next.isRelative()))
        return std::nullopt;
    if (format == QLatin1String("html"))
        state.format = ChapterFormat::Html;
    else if (format != QLatin1String("text"))
        return std::nullopt;
    return state;
}

bool writeChainState(const QString &folder, const ChainState &state, QString *error) {
    return common::writeTextFile(QDir(folder).filePath(kStateFileName), formatChainState(state),
                                 common::FileEncoding::Gb18030, error);
}

std::optional<ChainState> readChainState(const QString &folder) {
    const common::TextFileContent content =
        common::readTextFile(QDir(folder).filePath(kStateFileName));
    if (!content.ok)
        return std::nullopt;
    return parseChainState(content.text);
}

} // namespace serial
