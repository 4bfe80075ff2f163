#pragma once

#include <QtGlobal>

#include <atomic>

namespace fulltext {

// What the index holds and whether it is being brought up to date, as the results page
// tells it.
struct IndexStatus {
    int documents = -1; // -1 while the index has not been opened yet
    bool scanning = false;
    int scanned = 0;          // files of the running scan looked at so far
    int toScan = 0;           // files the running scan found (0 while it is still counting them)
    qint64 lastScanEnded = 0; // seconds since 1970; 0 when no scan has ended yet
    int readPages = 0;        // of the documents, pages read (not saved files)
};

// The same, written by the index's thread and read by the window's.
struct SharedIndexStatus {
    std::atomic<int> documents{-1};
    std::atomic<bool> scanning{false};
    std::atomic<int> scanned{0};
    std::atomic<int> toScan{0};
    std::atomic<qint64> lastScanEnded{0};
    std::atomic<int> readPages{0};

    IndexStatus load() const {
        return {documents, scanning, scanned, toScan, lastScanEnded, readPages};
    }
};

} // namespace fulltext
