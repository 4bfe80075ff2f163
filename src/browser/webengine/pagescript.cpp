#include "pagescript.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>

namespace browser {

QString scriptWithArguments(const QString &resource, const QList<QPair<QString, QString>> &args) {
    QFile file(QStringLiteral(":/lumaro/js/") + resource);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QString script = QString::fromUtf8(file.readAll());
    QList<QPair<QString, QString>> literals;
    for (const auto &[name, value] : args) {
        // A one-element JSON array, without its brackets, is the string's JSON literal.
        QByteArray literal = QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact);
        literal = literal.mid(1, literal.size() - 2);
        literal.replace("</", "<\\/");
        literals.append({name, QString::fromUtf8(literal)});
    }
    // One pass over the script, so that a value holding a placeholder's name stays as it is.
    QString out;
    for (qsizetype i = 0; i < script.size();) {
        bool replaced = false;
        for (const auto &[name, literal] : literals) {
            if (QStringView(script).sliced(i).startsWith(name)) {
                out += literal;
                i += name.size();
                replaced = true;
                break;
            }
        }
        if (!replaced)
            out += script[i++];
    }
    return out;
}

} // namespace browser
