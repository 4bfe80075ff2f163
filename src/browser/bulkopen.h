#pragma once

#include "tabhost.h"

#include "common/task.h"

#include <QList>
#include <QUrl>

#include <functional>

namespace browser {

// How long tabs are opened in one turn of the event loop before the window answers again.
inline constexpr int kTurnMs = 40;

// Opens each address as a harvested tab (TabHost::openHarvested), for kTurnMs at a time so
// that the window answers between them however many there are (a group of ten thousand).
// `opened` hears the count after each tab.
common::Task<> openHarvestedInTurns(TabHost &tabs, QList<QUrl> urls,
                                    std::function<void(int)> opened = {});

} // namespace browser
