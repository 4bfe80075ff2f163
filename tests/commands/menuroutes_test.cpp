#include "shell/menuroutes.h"
#include "shell/sitesearch.h"
#include "shell/toolbarlayout.h"

#include <gtest/gtest.h>

namespace {

using shell::Operation;
using shell::routeMenuKey;

struct KeyCase {
    const char *key;
    Operation operation;
    const char *argument;
};

class MenuRoutes : public ::testing::TestWithParam<KeyCase> {};

TEST_P(MenuRoutes, KeyReachesItsOperation) {
    const KeyCase &c = GetParam();
    const shell::Route route = routeMenuKey(QString::fromUtf8(c.key));
    EXPECT_EQ(route.operation, c.operation) << c.key;
    EXPECT_EQ(route.argument, QString::fromUtf8(c.argument)) << c.key;
}

using O = Operation;
INSTANTIATE_TEST_SUITE_P(
    Table, MenuRoutes,
    ::testing::Values(
        KeyCase{"a_site", O::SiteSearch1, ""}, KeyCase{"a_site1", O::SiteSearch2, ""},
        KeyCase{"help", O::HelpPage, ""}, KeyCase{"origin", O::Origin, ""},
        KeyCase{"deleteselectfromc", O::DeleteSelectFromC, ""},
        KeyCase{"deleteselectfromc2", O::Placeholder, "deleteselectfromc2"},
        KeyCase{"deleteselectfromall", O::Placeholder, "deleteselectfromc3"},
        KeyCase{"deleteselectfromall2", O::Placeholder, "deleteselectfromc4"},
        KeyCase{"deleteselect", O::DeleteThis, ""}, KeyCase{"deletealls", O::DeleteAll, ""},
        KeyCase{"deletefromharddisk", O::DeleteFromHard, ""},
        KeyCase{"deletealltool", O::ClearPasteMenu, ""}, KeyCase{"addt", O::SetInputForm, ""},
        KeyCase{"opensallp", O::OpenSelectA, ""}, KeyCase{"opensallz", O::None, ""},
        KeyCase{"opensallx", O::None, ""}, KeyCase{"opensallj", O::None, ""},
        KeyCase{"opensallzip", O::None, ""}, KeyCase{"openallw", O::OpenAllWFromC, ""},
        KeyCase{"opencwpallwz", O::OpenPageA, ""}, KeyCase{"openallx", O::OpenAllXFromC, ""},
        KeyCase{"openallj", O::OpenAllJFromC, ""},
        KeyCase{"openallzip", O::Placeholder, "OpenAllZip"},
        KeyCase{"openhw", O::OpenHardWebPage, ""}, KeyCase{"openm", O::OpenM, ""},
        KeyCase{"openfall", O::OpenFurl, ""}, KeyCase{"openmkw", O::OpenMkw, ""},
        KeyCase{"savehtol", O::SaveCurrentToLink, ""}, KeyCase{"savehref", O::SaveToHref, ""},
        KeyCase{"savetolink", O::None, ""}, KeyCase{"savexd", O::None, ""},
        KeyCase{"savejd", O::None, ""}, KeyCase{"savehtom", O::None, ""},
        KeyCase{"savesydz", O::SaveSydz, ""}, KeyCase{"savece", O::SaveE, ""},
        KeyCase{"saveee", O::SaveEAllTabs, ""}, KeyCase{"openemail", O::OpenEmailFile, ""},
        KeyCase{"saveetom", O::SaveEtoM, ""}, KeyCase{"beginsave", O::BeginSave, ""},
        KeyCase{"beginsave2", O::BeginSave2, ""}, KeyCase{"savetxt1", O::SaveTextDialog, ""},
        KeyCase{"onlysave", O::OnlySave, ""}, KeyCase{"onlysave_x_j", O::OnlySaveXJ, ""},
        KeyCase{"saveallo", O::SaveAllW, ""}, KeyCase{"savetext", O::OnlySaveText, ""},
        KeyCase{"savetextnotlink", O::OnlySaveTextNotLink, ""},
        KeyCase{"savealltext", O::SaveAllWText, ""},
        KeyCase{"savealltextnotlink", O::SaveAllWTextNotLink, ""},
        KeyCase{"savestext", O::SaveSelectText, ""}, KeyCase{"setsavepath", O::SetSavePath, ""},
        KeyCase{"createfolder", O::CreateFolder, ""},
        // Prefixes hand over the name that follows them.
        KeyCase{"add_简历", O::LoadTemplate, "简历"},
        KeyCase{"opengroup_新闻", O::OpenGroup, "新闻"}, KeyCase{"all_a", O::FillTemplate, "a"},
        KeyCase{"delete_x.y", O::EditTemplate, "x.y"},
        KeyCase{"template_t_之_item", O::PasteTemplateItem, "t_之_item"},
        KeyCase{"add_", O::LoadTemplate, ""},
        // Everything else takes the default branch, exact spelling counting.
        KeyCase{"saveallo_x_j", O::PasteIntoField, ""},
        KeyCase{"save_group", O::PasteIntoField, ""}, KeyCase{"displaypath", O::PasteIntoField, ""},
        KeyCase{"Help", O::PasteIntoField, ""}, KeyCase{"help ", O::PasteIntoField, ""},
        KeyCase{"someone@mail.example", O::PasteIntoField, ""},
        KeyCase{"", O::PasteIntoField, ""}));

TEST(MenuRoutesOrder, EveryFixedEntryOfTheToolbarHasARouteOfItsOwn) {
    // Entries that have no operation of their own are the documented default-branch ones.
    const QStringList defaultBranch = {"saveallo_x_j", "save_group"};
    for (const shell::ButtonLayout &button : shell::toolbarLayout()) {
        for (const shell::MenuEntryLayout &entry : button.menu) {
            const QString key = QString::fromUtf8(entry.key);
            if (QString::fromUtf8(entry.caption) == "-")
                continue;
            const bool routed = routeMenuKey(key).operation != Operation::PasteIntoField;
            EXPECT_EQ(routed, !defaultBranch.contains(key)) << entry.key;
        }
    }
}

TEST(ButtonRoutes, ButtonsRunTheirOwnOperation) {
    EXPECT_EQ(shell::routeButtonKey("save"), O::OnlySave);
    EXPECT_EQ(shell::routeButtonKey("opena"), O::OpenAllWFromC);
    EXPECT_EQ(shell::routeButtonKey("copy"), O::CopyToPasteMenu);
    EXPECT_EQ(shell::routeButtonKey("savegroup"), O::None);
    EXPECT_EQ(shell::routeButtonKey("new"), O::None);
    EXPECT_EQ(shell::routeButtonKey("openi"), O::None);
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
