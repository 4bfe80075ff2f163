#include "bulkopen.h"

#include <QElapsedTimer>

namespace browser {

common::Task<> openHarvestedInTurns(TabHost &tabs, QList<QUrl> urls,
                                    std::function<void(int)> opened) {
    QElapsedTimer turn;
    turn.start();
    for (int i = 0; i < urls.size(); ++i) {
        if (turn.elapsed() >= kTurnMs) {
            co_await common::nextTurn();
            turn.restart();
        }
        tabs.openHarvested(urls.at(i));
        if (opened)
            opened(i + 1);
    }
}

} // namespace browser
