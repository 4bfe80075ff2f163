#include "shell/closedchannels.h"
#include "shell/colourscheme.h"
#include "shell/rendererlimit.h"
#include "shell/renderingpath.h"

#include <QPalette>

#include <gtest/gtest.h>

using shell::RenderingFacts;
using shell::RenderingPath;

TEST(RenderingPath, SoftwareWithoutARenderDeviceOpenGlWithOne) {
    RenderingFacts facts;
    EXPECT_EQ(shell::chooseRenderingPath(facts), RenderingPath::Software);
    facts.hasRenderDevice = true;
    EXPECT_EQ(shell::chooseRenderingPath(facts), RenderingPath::OpenGl);
}

TEST(RenderingPath, DisablingTheGpuMeansSoftwareEvenWithADevice) {
    RenderingFacts onCommandLine;
    onCommandLine.hasRenderDevice = true;
    onCommandLine.arguments = {QStringLiteral("--disable-gpu")};
    EXPECT_EQ(shell::chooseRenderingPath(onCommandLine), RenderingPath::Software);

    RenderingFacts inEngineFlags;
    inEngineFlags.hasRenderDevice = true;
    inEngineFlags.chromiumFlags = "--no-sandbox --disable-gpu";
    EXPECT_EQ(shell::chooseRenderingPath(inEngineFlags), RenderingPath::Software);

    // A flag that merely starts the same way is another flag.
    inEngineFlags.chromiumFlags = "--disable-gpu-compositing";
    EXPECT_EQ(shell::chooseRenderingPath(inEngineFlags), RenderingPath::OpenGl);
}

TEST(RenderingPath, TheUsersOwnBackendWins) {
    RenderingFacts facts;
    facts.quickBackend = "opengl";
    facts.arguments = {QStringLiteral("--disable-gpu")};
    EXPECT_EQ(shell::chooseRenderingPath(facts), RenderingPath::OpenGl);
    facts.quickBackend = "software";
    facts.hasRenderDevice = true;
    EXPECT_EQ(shell::chooseRenderingPath(facts), RenderingPath::Software);
}

TEST(RendererLimit, EightACoreAtLeastSixteenUnlessTheFlagsSetOne) {
    const struct {
        QByteArray flags;
        int cores;
        QByteArray expected;
    } rows[] = {
        {"", 2, "--renderer-process-limit=16"},
        {"", 1, "--renderer-process-limit=16"},
        {"--no-sandbox --disable-gpu", 8, "--no-sandbox --disable-gpu --renderer-process-limit=64"},
        {"--renderer-process-limit=4", 8, "--renderer-process-limit=4"},
        {"--no-sandbox --renderer-process-limit 2", 8, "--no-sandbox --renderer-process-limit 2"},
        // A flag that merely starts the same way is another flag.
        {"--renderer-process-limitx=3", 2,
         "--renderer-process-limitx=3 --renderer-process-limit=16"},
    };
    for (const auto &row : rows)
        EXPECT_EQ(shell::withRendererProcessLimit(row.flags, row.cores), row.expected)
            << row.flags.constData();
}

TEST(ClosedChannels, QuicAndWebRtcUdpAreOffUnlessTheFlagsSayOtherwise) {
    const struct {
        QByteArray flags;
        QByteArray expected;
    } rows[] = {
        {"", "--disable-quic --force-webrtc-ip-handling-policy=disable_non_proxied_udp"},
        {"--no-sandbox",
         "--no-sandbox --disable-quic --force-webrtc-ip-handling-policy=disable_non_proxied_udp"},
        {"--enable-quic --force-webrtc-ip-handling-policy=default",
         "--enable-quic --force-webrtc-ip-handling-policy=default"},
    };
    for (const auto &row : rows)
        EXPECT_EQ(shell::withClosedChannels(row.flags), row.expected) << row.flags.constData();
}

// A dark desktop's palette asks the engine for the dark scheme, once; a light one asks nothing.
TEST(ColourSchemeTest, ADarkPaletteAsksTheEngineForTheDarkScheme) {
    QPalette dark;
    dark.setColor(QPalette::Window, QColor(0x2b, 0x2b, 0x2b));
    dark.setColor(QPalette::WindowText, QColor(0xee, 0xee, 0xee));
    QPalette light;
    light.setColor(QPalette::Window, QColor(0xef, 0xef, 0xef));
    light.setColor(QPalette::WindowText, Qt::black);
    EXPECT_TRUE(shell::isDarkPalette(dark));
    EXPECT_FALSE(shell::isDarkPalette(light));
    EXPECT_EQ(shell::withColourScheme("--no-sandbox", true), "--no-sandbox --force-dark-mode");
    EXPECT_EQ(shell::withColourScheme("--force-dark-mode", true), "--force-dark-mode");
    EXPECT_EQ(shell::withColourScheme("", true), "--force-dark-mode");
    EXPECT_EQ(shell::withColourScheme("--no-sandbox", false), "--no-sandbox");
}
