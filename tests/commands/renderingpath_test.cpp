#include "shell/renderingpath.h"

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
