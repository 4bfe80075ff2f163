#pragma once

#include "commands/commandcontext.h"
#include "common/programfolder.h"
#include "shell/tabmanager.h"
#include "support/fakebrowserview.h"
#include "support/fakedialogs.h"
#include "support/fakeservices.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace testing_support {

// The world of a command, made of fakes: a program folder and a save folder of its own, fake
// views, dialogs, clipboard and status bar, and the real tab manager over them, with the
// first tab open.
class CommandFixture : public ::testing::Test {
protected:
    CommandFixture() : folder(programDir.path()), tabs(factory, dialogs, folder.favouritesUrl()) {
        tabs.createFirstTab();
        savePath = saveDir.path();
    }

    FakeBrowserView *page(int index = 0) {
        return static_cast<FakeBrowserView *>(tabs.viewAt(index));
    }

    QTemporaryDir programDir;
    QTemporaryDir saveDir;
    QString savePath;
    common::ProgramFolder folder;
    FakeViewFactory factory;
    FakeDialogs dialogs;
    FakeClipboard clipboard;
    RecordingPanels panels;
    shell::TabManager tabs;
    commands::CommandContext context{tabs, dialogs, clipboard, panels, [this] { return savePath; }};
};

} // namespace testing_support
