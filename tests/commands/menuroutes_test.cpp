#include "shell/menuroutes.h"
#include "shell/sitesearch.h"
#include "shell/toolbarlayout.h"

#include <gtest/gtest.h>

namespace {

using shell::routeMenuKey;

struct KeyCase {
    const char *key;
    const char *operation;
    const char *name; // what a prefix row hands over
};

class MenuRoutes : public ::testing::TestWithParam<KeyCase> {};

TEST_P(MenuRoutes, KeyReachesItsOperation) {
    const KeyCase &c = GetParam();
    const shell::Route route = routeMenuKey(QString::fromUtf8(c.key));
    ASSERT_NE(route.command, nullptr) << c.key;
    EXPECT_STREQ(route.command->operation, c.operation) << c.key;
    EXPECT_EQ(route.name, QString::fromUtf8(c.name)) << c.key;
}

// Every menu key with its operation, in the order the dispatch tests them.
INSTANTIATE_TEST_SUITE_P(
    Table, MenuRoutes,
    ::testing::Values(
        KeyCase{"a_site", "SiteSearch1", ""}, KeyCase{"a_site1", "SiteSearch2", ""},
        KeyCase{"help", "HelpPage", ""}, KeyCase{"origin", "Origin", ""},
        KeyCase{"deleteselectfromc", "DeleteSelectFromC", ""},
        KeyCase{"deleteselectfromc2", "DeleteSelectFromC2", ""},
        KeyCase{"deleteselectfromall", "DeleteSelectFromAll", ""},
        KeyCase{"deleteselectfromall2", "DeleteSelectFromAll2", ""},
        KeyCase{"deleteselect", "DeleteThis", ""}, KeyCase{"deletealls", "DeleteAll", ""},
        KeyCase{"deletefromharddisk", "DeleteFromHard", ""},
        KeyCase{"deletealltool", "ClearPasteMenu", ""}, KeyCase{"addt", "SetInputForm", ""},
        KeyCase{"opensallp", "OpenSelectA", ""}, KeyCase{"opensallz", "OpenSelectionLinks", ""},
        KeyCase{"opensallx", "OpenSelectionRelative", ""},
        KeyCase{"opensallj", "OpenSelectionAbsolute", ""},
        KeyCase{"opensallzip", "DownloadSelectionFiles", ""},
        KeyCase{"openallw", "OpenAllWFromC", ""}, KeyCase{"opencwpallwz", "OpenPageA", ""},
        KeyCase{"openallx", "OpenAllXFromC", ""}, KeyCase{"openallj", "OpenAllJFromC", ""},
        KeyCase{"openallzip", "DownloadPageFiles", ""}, KeyCase{"openhw", "OpenHardWebPage", ""},
        KeyCase{"openm", "OpenM", ""}, KeyCase{"openfall", "OpenFurl", ""},
        KeyCase{"openmkw", "OpenMkw", ""}, KeyCase{"savehtol", "SaveCurrentToLink", ""},
        KeyCase{"savehref", "SaveToHref", ""}, KeyCase{"savetolink", "SaveLinksToFavourites", ""},
        KeyCase{"savexd", "SaveRelativeToFavourites", ""},
        KeyCase{"savejd", "SaveAbsoluteToFavourites", ""},
        KeyCase{"savehtom", "AddressToPasteMenu", ""}, KeyCase{"savesydz", "SaveSydz", ""},
        KeyCase{"savece", "SaveE", ""}, KeyCase{"saveee", "SaveEAllTabs", ""},
        KeyCase{"openemail", "OpenEmailFile", ""}, KeyCase{"saveetom", "SaveEtoM", ""},
        KeyCase{"beginsave", "BeginSave", ""}, KeyCase{"beginsave2", "BeginSave2", ""},
        KeyCase{"savetxt1", "SaveTextDialog", ""}, KeyCase{"onlysave", "OnlySave", ""},
        KeyCase{"onlysave_x_j", "OnlySaveXJ", ""}, KeyCase{"saveallo", "SaveAllW", ""},
        KeyCase{"saveallo_x_j", "SaveAllWXJ", ""}, KeyCase{"savetext", "OnlySaveText", ""},
        KeyCase{"savetextnotlink", "OnlySaveTextNotLink", ""},
        KeyCase{"savealltext", "SaveAllWText", ""},
        KeyCase{"savealltextnotlink", "SaveAllWTextNotLink", ""},
        KeyCase{"savestext", "SaveSelectText", ""}, KeyCase{"serialstart", "SerialStart", ""},
        KeyCase{"serialstop", "SerialStop", ""}, KeyCase{"serialresume", "SerialResume", ""},
        KeyCase{"serialbook", "SerialBook", ""}, KeyCase{"setsavepath", "SetSavePath", ""},
        KeyCase{"createfolder", "CreateFolder", ""}, KeyCase{"displaypath", "OpenSaveFolder", ""},
        KeyCase{"save_group", "SaveGroup", ""},
        // Prefixes hand over the name that follows them.
        KeyCase{"add_简历", "LoadTemplate", "简历"}, KeyCase{"opengroup_新闻", "OpenGroup", "新闻"},
        KeyCase{"all_a", "FillTemplate", "a"}, KeyCase{"delete_x.y", "EditTemplate", "x.y"},
        KeyCase{"template_t_之_item", "PasteTemplateItem", "t_之_item"},
        KeyCase{"add_", "LoadTemplate", ""},
        // Everything else takes the default branch, exact spelling counting.
        KeyCase{"saveallo_x_j ", "PasteIntoField", ""}, KeyCase{"Help", "PasteIntoField", ""},
        KeyCase{"help ", "PasteIntoField", ""},
        KeyCase{"someone@mail.example", "PasteIntoField", ""}, KeyCase{"", "PasteIntoField", ""}));

TEST(MenuRoutesOrder, ExactKeysComeBeforePrefixesAndTheDefaultBranchComesLast) {
    const QList<shell::CommandRoute> &routes = shell::menuRoutes();
    using M = shell::CommandRoute::Match;
    ASSERT_FALSE(routes.isEmpty());
    EXPECT_EQ(routes.last().match, M::Anything);
    bool prefixSeen = false;
    QStringList keys;
    for (const shell::CommandRoute &route : routes) {
        if (route.match == M::Prefix)
            prefixSeen = true;
        if (route.match == M::Exact) {
            EXPECT_FALSE(prefixSeen) << route.key << " comes after a prefix";
        }
        EXPECT_FALSE(keys.contains(route.key)) << route.key << " has two rows";
        keys.append(route.key);
    }
    // A copied text that starts with a prefix but equals a fixed key runs the fixed key's row.
    EXPECT_STREQ(routeMenuKey("deleteselect").command->operation, "DeleteThis");
}

TEST(MenuRoutesOrder, EveryFixedEntryOfTheToolbarAndTheSavePathEntryHasARouteOfItsOwn) {
    for (const shell::ButtonLayout &button : shell::toolbarLayout()) {
        for (const shell::MenuEntryLayout &entry : button.menu) {
            const QString key = QString::fromUtf8(entry.key);
            if (QString::fromUtf8(entry.caption) == "-")
                continue;
            const bool routed =
                qstrcmp(routeMenuKey(key).command->operation, "PasteIntoField") != 0;
            EXPECT_TRUE(routed) << entry.key;
        }
    }
}

TEST(ButtonRoutes, ButtonsRunTheirOwnOperation) {
    const auto operation = [](const char *key) {
        const shell::CommandRoute *route = shell::routeButtonKey(key);
        return route ? QString::fromLatin1(route->operation) : QString("-");
    };
    EXPECT_EQ(operation("save"), "OnlySave");
    EXPECT_EQ(operation("opena"), "OpenAllWFromC");
    EXPECT_EQ(operation("copy"), "CopyToPasteMenu");
    EXPECT_EQ(operation("pre"), "Forward");
    EXPECT_EQ(operation("savegroup"), "SaveGroup");
    EXPECT_EQ(operation("serial"), "SerialStart");
    EXPECT_EQ(operation("new"), "-");
    EXPECT_EQ(operation("openi"), "-");
    EXPECT_EQ(operation("fg1"), "-");
}

TEST(SiteSearch, AddressesCarryTheSiteNameInTheirEncodings) {
    // "Corvanepdf小说网" in GBK: 小 D0A1, 说 CBB5, 网 CDF8.
    EXPECT_EQ(shell::firstEngineSearchUrl().toEncoded(),
              "https://www.baidu.com/s?wd=Corvanepdf%D0%A1%CB%B5%CD%F8&cl=3");
    EXPECT_EQ(
        shell::secondEngineSearchUrl().toEncoded(),
        "https://www.google.com/search?complete=1&hl=zh-CN&q=CorvanePDF%E5%B0%8F%E8%AF%B4%E7%BD%91"
        "&btnG=Google+%E6%90%9C%E7%B4%A2&meta=");
}

} // namespace
