#include "sitelearning.h"

#include "commands/statuspanels.h"
#include "serial/siterules.h"

namespace commands {

namespace {

// A line is kept by this many of its first characters.
constexpr qsizetype kDropLineChars = 20;

// Changes the rules of the site of `page` with `change`; says in s2 what was kept, or why not.
template <typename Change>
void changeRules(CommandContext &context, const QUrl &page, const QString &told, Change change) {
    const QString path = serial::siteRulesPath(context.siteRulesFolder, page);
    if (context.siteRulesFolder.isEmpty() || path.isEmpty()) {
        context.panels.setPanelText(Panel::Message,
                                    QStringLiteral("这个网页没有网站，不能记住它的规则"));
        return;
    }
    serial::SiteRules rules = serial::readSiteRules(path);
    change(rules);
    QString error;
    if (!serial::writeSiteRules(path, rules, &error)) {
        context.panels.setPanelText(Panel::Message,
                                    QStringLiteral("无法保存本网站的规则：") + error);
        return;
    }
    context.panels.setPanelText(Panel::Message, told);
}

} // namespace

void rememberDroppedBlock(CommandContext &context, const QUrl &page, const QString &selector,
                          const QString &line) {
    const QString rulesPath = serial::siteRulesPath(context.siteRulesFolder, page);
    // The rules file is the host's: every port of it shares them.
    const QString where = QStringLiteral("（%1 的所有端口共用规则 %2）").arg(page.host(), rulesPath);
    if (!selector.isEmpty()) {
        changeRules(context, page,
                    QStringLiteral("以后不保存这一块：%1%2").arg(selector, where),
                    [&selector](serial::SiteRules &rules) {
                        if (!rules.dropBlocks.contains(selector))
                            rules.dropBlocks.append(selector);
                    });
        return;
    }
    // A line of the story is known by its beginning: the same advertisement in every chapter.
    const QString start = line.simplified().left(kDropLineChars);
    if (start.isEmpty()) {
        context.panels.setPanelText(
            Panel::Message, QStringLiteral("这一块没有可以认出它的名字（id 或 class），没有记住"));
        return;
    }
    changeRules(context, page,
                QStringLiteral("以后不保存以“%1”开头的行%2").arg(start, where),
                [&start](serial::SiteRules &rules) {
                    if (!rules.dropLines.contains(start))
                        rules.dropLines.append(start);
                });
}

void rememberNextLinkText(CommandContext &context, const QUrl &page, const QString &text) {
    const QString simplified = text.simplified();
    if (simplified.isEmpty())
        return;
    changeRules(
        context, page,
        QStringLiteral("以后连续保存 %1 的章节时以“%2”为下一章链接").arg(page.host(), simplified),
        [&simplified](serial::SiteRules &rules) { rules.nextLinkText = simplified; });
}

} // namespace commands
