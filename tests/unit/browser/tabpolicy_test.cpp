#include "browser/tabpolicy.h"

#include <gtest/gtest.h>

namespace {

using namespace browser;

TEST(TabKeys, RoundTripAndReadDigitsFromTheEighthCharacter) {
    EXPECT_EQ(tabKey(1), "WebPage1");
    EXPECT_EQ(viewNumberFromKey(u"WebPage12"), 12);
    EXPECT_EQ(viewNumberFromKey(tabKey(32768)), 32768);
    EXPECT_EQ(viewNumberFromKey(u"WebPage"), 0);
    EXPECT_EQ(viewNumberFromKey(u"WebPage7x"), 7);
}

TEST(NewWindowState, RefusesTheSameAddressTwiceUntilTheGuardIsReset) {
    NewWindowState state;
    EXPECT_TRUE(state.allowNewTab("http://a.example/", 10.0));
    EXPECT_FALSE(state.allowNewTab("http://a.example/", 20.0)); // same address
    state.forgetLastNewWindow();
    EXPECT_TRUE(state.allowNewTab("http://a.example/", 30.0));
}

// "No last new tab" is no address at all, not one that a page or a command could ask for.
TEST(NewWindowState, WithNoLastNewTabEveryAddressPasses) {
    for (const char *address : {"1", "", "about:blank"}) {
        NewWindowState state;
        EXPECT_TRUE(state.allowNewTab(address, 1.0)) << address;
        state.forgetLastNewWindow();
        EXPECT_TRUE(state.allowNewTab(address, 2.0)) << address;
    }
}

TEST(NewWindowState, ThrottlesRequestsWithinSevenTenthsOfASecond) {
    NewWindowState state;
    EXPECT_TRUE(state.allowNewTab("a", 1.0));
    EXPECT_FALSE(state.allowNewTab("b", 1.5)); // refused; the time is not renewed
    EXPECT_FALSE(state.allowNewTab("b", 1.8)); // ...but "b" counts as the last new tab
    EXPECT_TRUE(state.allowNewTab("c", 1.8));
    EXPECT_TRUE(state.allowNewTab("d", 1.9, true));
    EXPECT_FALSE(state.allowNewTab("e", 2.2)); // a skipped throttle still counts as the last tab
    EXPECT_TRUE(state.allowNewTab("f", 2.7));
}

TEST(NavigationPolicy, FollowedLinksGoToANewTabWhenTheToggleIsOn) {
    NavigationPolicy policy;
    NavigationPolicy::Context link;
    link.statusText = "http://a.example/x";
    link.newToggleOn = true;
    EXPECT_EQ(policy.decide(link, 1), NavigationAction::OpenInNewTab);
    link.ownNavigation = true; // the new tab's own navigation is never redirected again
    EXPECT_EQ(policy.decide(link, 1), NavigationAction::Proceed);
    link.ownNavigation = false;
    link.isMainFrame = false;
    EXPECT_EQ(policy.decide(link, 1), NavigationAction::Proceed);
    link.isMainFrame = true;
    link.newToggleOn = false;
    EXPECT_EQ(policy.decide(link, 1), NavigationAction::Proceed);
    link.statusText = "HTTP://a.example/"; // the test is case-sensitive
    link.newToggleOn = true;
    EXPECT_EQ(policy.decide(link, 1), NavigationAction::Proceed);
}

TEST(NavigationPolicy, FavouritesLinksOpenInNewTabsAfterStartUpAtMostEverySevenTenths) {
    NavigationPolicy policy;
    policy.setStartupGuard(true);
    NavigationPolicy::Context fav;
    fav.currentIsFavourites = true;
    EXPECT_EQ(policy.decide(fav, 1.0), NavigationAction::Proceed); // start-up load
    EXPECT_FALSE(policy.startupGuard());
    EXPECT_EQ(policy.decide(fav, 2.0), NavigationAction::OpenInNewTab);
    EXPECT_EQ(policy.decide(fav, 2.3), NavigationAction::Proceed); // throttled, in place
    EXPECT_EQ(policy.decide(fav, 2.8), NavigationAction::OpenInNewTab);
    fav.ownNavigation = true;
    EXPECT_EQ(policy.decide(fav, 5.0), NavigationAction::Proceed);
}

TEST(TabClickGate, DoublePressClosesOnlyOnTheSameTabAndRightPressesBlockSwitching) {
    TabClickGate gate;
    EXPECT_TRUE(gate.switchingAllowed());
    EXPECT_FALSE(gate.press(TabClickGate::Button::Left, "WebPage2", 1.0));
    EXPECT_TRUE(gate.press(TabClickGate::Button::Left, "WebPage2", 1.3));
    EXPECT_FALSE(gate.press(TabClickGate::Button::Left, "WebPage3", 1.4));
    EXPECT_FALSE(gate.press(TabClickGate::Button::Left, "WebPage3", 2.0));
    EXPECT_FALSE(gate.press(TabClickGate::Button::Right, "WebPage3", 2.1));
    EXPECT_FALSE(gate.switchingAllowed());
    EXPECT_FALSE(gate.press(TabClickGate::Button::Left, "WebPage3", 3.0));
    EXPECT_TRUE(gate.switchingAllowed());
}

TEST(Throttle, UsesTheAbsoluteDifference) {
    Throttle throttle(0.7);
    EXPECT_TRUE(throttle.pass(100.0));
    EXPECT_FALSE(throttle.pass(99.5)); // a clock that went back
    EXPECT_TRUE(throttle.pass(99.0));
}

} // namespace
