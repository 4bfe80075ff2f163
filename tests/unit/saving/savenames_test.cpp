#include "saving/savenames.h"

#include <gtest/gtest.h>

namespace {

using saving::SaveKind;

// Every save's naming rule, one row a case: what is selected, the title the engine shows, and
// what the name falls back to.
TEST(SaveNames, EachSaveNamesItsFileByItsOwnRule) {
    const QUrl url("http://127.0.0.1:8080/news/a.htm");
    const QString untitled = url.toString(); // the engine shows the address for no title
    const QDateTime when(QDate(2026, 12, 7), QTime(15, 30, 12));
    const QString dated = "无标题-2026-12-07-153012";
    const struct {
        SaveKind kind;
        const char *selection;
        bool selectionIsText;
        QString title;
        const char *expected;
    } rows[] = {
        {SaveKind::Page, "第一章 开始", true, "标题", "第一章开始"},
        {SaveKind::Page, " ?: ", true, "标题: 甲", "标题甲"},
        {SaveKind::Page, "", true, untitled, nullptr}, // dated
        {SaveKind::PageInBatch, "选中", true, "标题", "选中"},
        {SaveKind::PageInBatch, "表单里的字", false, "标题", "标题"},
        {SaveKind::PageInBatch, "", true, untitled, "No7"},
        {SaveKind::Text, "", true, "标题", "标题"},
        {SaveKind::TextInBatch, "选中", true, "标题", "选中"},
        {SaveKind::TextInBatch, "", true, "标题", "新闻7"},
        {SaveKind::TextInBatch, "表单里的字", false, "标题", "新闻7"},
        {SaveKind::Selection, "一二三四五六七八九十十一", true, "标题", "一二三四五六七八九十"},
        {SaveKind::Selection, "???", true, "", nullptr},
        {SaveKind::WholePage, "选中", true, "标题", "标题"},
        {SaveKind::WholePage, "", true, untitled, nullptr},
        {SaveKind::Pdf, "", true, "报告/2026", "报告2026"},
        {SaveKind::Pdf, "", true, "", "网页"},
    };
    for (const auto &row : rows) {
        saving::NameSources sources;
        sources.kind = row.kind;
        sources.selection = QString::fromUtf8(row.selection);
        sources.selectionIsText = row.selectionIsText;
        sources.title = row.title;
        sources.url = url;
        sources.viewNumber = 7;
        sources.batchName = "新闻";
        sources.when = when;
        EXPECT_EQ(saving::saveName(sources), row.expected ? QString::fromUtf8(row.expected) : dated)
            << int(row.kind) << " " << row.selection;
    }
}

} // namespace
