#include "batchoutcome.h"

namespace saving {

QString batchSummaryLine(const BatchOutcome &outcome, const QString &folder) {
    const bool complete = outcome.skipped.isEmpty() && outcome.failed.isEmpty() &&
                          outcome.noName.isEmpty() && !outcome.stopped;
    const QString reloaded =
        outcome.reloaded > 0
            ? QStringLiteral("（%1个网页为节省内存释放过，已重新载入后读取）").arg(outcome.reloaded)
            : QString();
    if (complete)
        return QStringLiteral("所有打开网页已经保存到") + folder + reloaded;
    QString line = outcome.stopped ? QStringLiteral("已停止：") : QString();
    line += QStringLiteral("已保存%1个网页到%2").arg(outcome.done).arg(folder);
    if (!outcome.skipped.isEmpty())
        line += QStringLiteral("，跳过%1个").arg(outcome.skipped.size());
    if (!outcome.failed.isEmpty())
        line += QStringLiteral("，失败%1个").arg(outcome.failed.size());
    if (!outcome.noName.isEmpty())
        line += QStringLiteral("，%1个没有找到文件名").arg(outcome.noName.size());
    if (outcome.stopped)
        line += QStringLiteral("，%1个没有保存").arg(outcome.notSaved.size());
    return line + reloaded;
}

QString batchSummaryDetails(const BatchOutcome &outcome) {
    const std::pair<const QStringList &, QString> parts[] = {
        {outcome.failed, QStringLiteral("下面这些网页没有保存成功，其他网页已经保存：")},
        {outcome.noName, QStringLiteral("下面这些网页没有找到文件名，没有保存：")},
        {outcome.skipped, QStringLiteral("下面这些文件已经存在，没有覆盖：")},
        {outcome.notSaved, QStringLiteral("保存停止了，下面这些网页没有保存：")},
        {outcome.incomplete, QStringLiteral("下面这些网页已经保存，但有些部分没有放进文件：")},
    };
    QStringList sections;
    for (const auto &[pages, heading] : parts) {
        if (!pages.isEmpty())
            sections.append(heading + u'\n' + pages.join(u'\n'));
    }
    return sections.join(QStringLiteral("\n\n"));
}

} // namespace saving
