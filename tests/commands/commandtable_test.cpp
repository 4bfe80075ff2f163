#include "shell/commandtable.h"
#include "shell/sitesearch.h"

#include <gtest/gtest.h>

namespace {

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
