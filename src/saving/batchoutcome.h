#pragma once

#include <QString>
#include <QStringList>

namespace saving {

// What a batch save did with each page, for the line it ends with.
struct BatchOutcome {
    int done = 0;
    QStringList skipped;    // files left as they were (跳过)
    QStringList failed;     // "path（reason）"
    QStringList noName;     // pages whose extraction rule found no file name
    QStringList notSaved;   // pages left when the user stopped the batch
    QStringList incomplete; // pages saved without some of their parts: "address：what"
    bool stopped = false;
    int reloaded = 0; // pages let go to save memory, loaded again to be read
};

// The status line a batch save ends with: "所有打开网页已经保存到" and the folder when every
// page was saved, else the counts, e.g. "已保存3个网页到/home/u/书，跳过1个，失败1个"; then how
// many pages had to be loaded again, e.g. "（2个网页为节省内存释放过，已重新载入后读取）".
QString batchSummaryLine(const BatchOutcome &outcome, const QString &folder);

// The message listing the pages that were not saved and why; empty when all were saved.
// Example: a skipped "a.htm" gives "下面这些文件已经存在，没有覆盖：\na.htm".
QString batchSummaryDetails(const BatchOutcome &outcome);

} // namespace saving
