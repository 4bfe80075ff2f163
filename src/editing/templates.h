#pragma once

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <optional>

// Form-fill templates: small files of named items (inputtemplate/NAME.ini) that the user
// pastes into web forms or has filled in automatically.
namespace editing {

struct TemplateItem {
    QString name;
    QString content;
};

// The file the template editor writes: per item "第i项名称:[name]" and "第i项内容:[content]",
// each with CR LF, then one more CR LF.
QString templateFileText(const QList<TemplateItem> &items);

// Why a template name cannot be a file name in the template folder; empty when it can.
// Names holding / \ : * ? " < > | or control characters, "." and "..", and empty names
// are refused.
QString templateNameProblem(const QString &name);

// Why the items cannot be stored in a template file; empty when they can. A "]" ends a value
// in the file, so a name or content holding one would be cut there ("123]456" would fill as
// "123").
QString templateItemsProblem(const QList<TemplateItem> &items);

// The item names of a template file, in order (each "项名称:[" ... "]").
QStringList templateItemNames(QStringView file);

// The content of the item named `item`: the bracketed value after ":[item]"; none when the
// item is not there.
std::optional<QString> templateItemValue(QStringView file, const QString &item);

// One row of the auto-fill table: field-name patterns ("+user+username+"), the content, and
// the text of a field's label.
struct FillRule {
    QString namePatterns;
    QString content;
    QString label;
};

// The fill rules of a template file. Files written by the editor (items of two values) give
// one rule per item: its name is both the field-name pattern and the label. Other files are
// read as bracketed values three at a time; an incomplete last group is dropped.
QList<FillRule> fillRules(QStringView file);

// The fields of a page's HTML that the rules fill: (field name, content) in page order.
// Input fields of the types button, checkbox, submit, hidden, image, radio and reset are
// skipped; a field is matched by its name against the patterns, else by the text before it
// against the labels. Text areas are matched by name only.
QList<QPair<QString, QString>> fieldsToFill(QStringView html, const QList<FillRule> &rules);

} // namespace editing
