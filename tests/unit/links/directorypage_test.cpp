#include "links/directorypage.h"

#include <gtest/gtest.h>

namespace {

TEST(DirectoryPage, ListsEachAddressOnceAndEscapesTitles) {
    const QString page = links::directoryPage({{"http://a.example/?x=1&y=2", "<script>x</script>"},
                                               {"http://b.example/", ""},
                                               {"http://a.example/?x=1&y=2", "second"}});
    EXPECT_TRUE(page.startsWith("<html><head><title>Tirsane网</title>"));
    EXPECT_TRUE(page.endsWith("</UL></span></body></html>\r\n"));
    EXPECT_TRUE(page.contains("<li><a href=\"http://a.example/?x=1&amp;y=2\" target=_blank>"
                              "&lt;script&gt;x&lt;/script&gt;</a></li>\r\n"));
    EXPECT_TRUE(page.contains("target=_blank>unTitle</a>"));
    EXPECT_FALSE(page.contains("second"));
    EXPECT_EQ(page.count("<li>"), 2);
}

TEST(DirectoryPage, WithoutEntriesHoldsHeaderAndFooterOnly) {
    EXPECT_EQ(links::directoryPage({}).count("<li>"), 0);
}

} // namespace
