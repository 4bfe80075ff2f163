#pragma once

#include "commands/savesteps.h"

namespace commands {

// Taking each page's file name from its own HTML, between two markers (the menu entry
// "定义提取文件名的方式"). Kept while the program runs only.
struct ExtractionRule {
    bool enabled = false;
    QString before;
    QString after;
};

// Saving pages as HTML files in the default save folder: the current page (OnlySave,
// OnlySave_x_j with its links made absolute) and every open page (SaveAllW, saveallo_x_j with
// each page's links made absolute).
class PageSaver {
public:
    PageSaver(CommandContext &context, const ExtractionRule &rule)
        : m_steps(context), m_rule(rule) {}

    common::Task<> onlySave(bool absoluteLinks);
    common::Task<> saveAllW(bool absoluteLinks = false);

    // The file's content for a page: "<HTML>" + its markup + "</HTML>", declaring GB18030.
    static QString pageContent(const QString &innerHtml);

private:
    SaveSteps m_steps;
    const ExtractionRule &m_rule;
};

} // namespace commands
