#include "templates.h"

#include "common/textsearch.h"

namespace editing {

namespace {

constexpr qsizetype kNone = 99999999;

qsizetype found(qsizetype position) {
    return position < 0 ? kNone : position;
}

// The text before a field in the page: the nearest non-blank text between tags, searching
// backwards from `from`, with blanks, line ends, colons and &nbsp; removed.
QString labelBefore(QStringView html, qsizetype from) {
    qsizetype s = from;
    while (s >= 0) {
        const qsizetype a = html.first(s + 1).lastIndexOf(u'<');
        if (a < 0)
            return QString();
        // No ">" before it: the text from the start of the page.
        const qsizetype b = html.first(a + 1).lastIndexOf(u'>');
        QString text = html.sliced(b + 1, a - b - 1).toString().trimmed();
        for (const QString &unwanted :
             {QStringLiteral("\r\n"), QStringLiteral("\t"), QStringLiteral("\n"),
              QStringLiteral("\r"), QStringLiteral(":"), QStringLiteral("："),
              QStringLiteral("&nbsp;")})
            text.remove(unwanted);
        if (!text.isEmpty() || b < 0)
            return text;
        s = b - 1;
    }
    return QString();
}

// The value of the first "name=" (any case) at or after `from`, in the page's own letters:
// up to the first blank or ">" after it, or inside its quotes; quotes removed. The next
// element's name when this one has none, as the search is not bounded by the tag.
QString fieldName(QStringView html, QStringView low, qsizetype from, bool quoted) {
    const qsizetype n = low.indexOf(u"name=", from);
    if (n < 0)
        return QString();
    const qsizetype blank = found(html.indexOf(u' ', n));
    const qsizetype gt = found(html.indexOf(u'>', n));
    const qsizetype end = qMin(qMin(blank, gt), html.size());
    QString name = html.sliced(n + 5, qMax<qsizetype>(end - n - 5, 0)).toString();
    if (quoted && n + 5 < html.size() && (html[n + 5] == u'"' || html[n + 5] == u'\'')) {
        const qsizetype close = html.indexOf(html[n + 5], n + 6);
        name = html.sliced(n + 5, (close < 0 ? html.size() : close) - n - 5).toString();
    }
    name.remove(u'"');
    name.remove(u'\'');
    return name;
}

} // namespace

QString templateFileText(const QList<TemplateItem> &items) {
    QString text;
    for (qsizetype i = 0; i < items.size(); ++i) {
        text += QStringLiteral("第%1项名称:[%2]\r\n").arg(i + 1).arg(items[i].name);
        text += QStringLiteral("第%1项内容:[%2]\r\n").arg(i + 1).arg(items[i].content);
    }
    return text + QStringLiteral("\r\n");
}

QString templateNameProblem(const QString &name) {
    if (name.trimmed().isEmpty())
        return QStringLiteral("请输入模板名称！");
    if (name == QLatin1String(".") || name == QLatin1String(".."))
        return QStringLiteral("模板名称不能是“.”或“..”！");
    for (QChar c : name) {
        if (QStringView(u"/\\:*?\"<>|").contains(c) || c.unicode() < 32)
            return QStringLiteral("模板名称不能包含 / \\ : * ? \" < > | 这些字符！");
    }
    return QString();
}

QString templateItemsProblem(const QList<TemplateItem> &items) {
    for (qsizetype i = 0; i < items.size(); ++i) {
        const bool inName = items[i].name.contains(u']');
        if (!inName && !items[i].content.contains(u']'))
            continue;
        return QStringLiteral(
                   "第%1项的%2里有“]”。模板文件用“]”标记一项的结束，这一项会在“]”处被截断"
                   "（例如“123]456”只会填成“123”）。请去掉“]”后再保存。")
            .arg(i + 1)
            .arg(inName ? QStringLiteral("名称") : QStringLiteral("内容"));
    }
    return QString();
}

QStringList templateItemNames(QStringView file) {
    QStringList names;
    const QStringView marker = u"项名称:[";
    for (qsizetype pos = file.indexOf(marker); pos >= 0; pos = file.indexOf(marker, pos + 1)) {
        const qsizetype start = pos + marker.size();
        const qsizetype end = file.indexOf(u']', start);
        if (end < 0)
            break;
        names.append(file.sliced(start, end - start).toString());
    }
    return names;
}

std::optional<QString> templateItemValue(QStringView file, const QString &item) {
    const qsizetype p = file.indexOf(QStringLiteral(":[") + item + u']');
    if (p < 0)
        return std::nullopt;
    const qsizetype q = file.indexOf(u":[", p + 1);
    if (q < 0)
        return std::nullopt;
    const qsizetype end = file.indexOf(u']', q + 2);
    return file.sliced(q + 2, (end < 0 ? file.size() : end) - q - 2).toString();
}

QList<FillRule> fillRules(QStringView file) {
    QStringList values;
    for (qsizetype open = file.indexOf(u":["); open >= 0; open = file.indexOf(u":[", open + 2)) {
        const qsizetype close = file.indexOf(u']', open + 2);
        if (close < 0)
            break; // every search goes forward: the parse always ends
        values.append(file.sliced(open + 2, close - open - 2).toString());
        open = close - 1;
    }
    QList<FillRule> rules;
    if (file.contains(u"项名称:[")) {
        for (qsizetype i = 0; i + 1 < values.size(); i += 2) {
            if (!values[i].isEmpty())
                rules.append({u'+' + values[i] + u'+', values[i + 1], values[i]});
        }
        return rules;
    }
    for (qsizetype i = 0; i + 2 < values.size(); i += 3)
        rules.append({values[i], values[i + 1], values[i + 2]});
    return rules;
}

QList<QPair<QString, QString>> fieldsToFill(QStringView html, const QList<FillRule> &rules) {
    const QString low = common::asciiLowered(html);
    QList<QPair<QString, QString>> fills;
    static const QStringView skippedTypes[] = {u"button", u"checkbox", u"submit", u"hidden",
                                               u"image",  u"radio",    u"reset"};
    for (qsizetype p = low.indexOf(u"<input "); p >= 0; p = low.indexOf(u"<input ", p + 1)) {
        const qsizetype g = found(low.indexOf(u'>', p));
        bool skipped = false;
        for (QStringView type : skippedTypes) {
            const QString plain = QStringLiteral("type=") + type.toString();
            const QString quoted = QStringLiteral("type=\"") + type.toString() + u'"';
            if (found(low.indexOf(plain, p)) < g || found(low.indexOf(quoted, p)) < g)
                skipped = true;
        }
        if (skipped)
            continue;
        const QString name = fieldName(html, low, p, true);
        if (name.isEmpty())
            continue;
        bool filled = false;
        for (const FillRule &rule : rules) {
            if (rule.namePatterns.toLower().contains(u'+' + name.toLower() + u'+')) {
                fills.append({name, rule.content});
                filled = true;
                break;
            }
        }
        if (filled)
            continue;
        const QString label = labelBefore(html, p).toLower();
        if (label.isEmpty())
            continue;
        for (const FillRule &rule : rules) {
            const QString ruleLabel = rule.label.trimmed().toLower();
            if (!ruleLabel.isEmpty() && (label.contains(ruleLabel) || ruleLabel.contains(label))) {
                fills.append({name, rule.content});
                break;
            }
        }
    }
    for (qsizetype p = low.indexOf(u"<textarea"); p >= 0; p = low.indexOf(u"<textarea", p + 1)) {
        const QString name = fieldName(html, low, p, false);
        for (const FillRule &rule : rules) {
            if (!name.isEmpty() &&
                rule.namePatterns.toLower().contains(u'+' + name.toLower() + u'+')) {
                fills.append({name, rule.content});
                break;
            }
        }
    }
    return fills;
}

} // namespace editing
