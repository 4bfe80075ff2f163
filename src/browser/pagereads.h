#pragma once

#include "browserview.h"

#include "common/task.h"

#include <QPointer>

// What commands await of a page: `PageRead page = co_await browser::readPage(view);`. Each
// answers once, later, from the event loop; a view closed before or meanwhile answers as
// closed (reads) or false (changes), never touched again.
namespace browser {

// Longest wait for one answer: a discarded page loaded again, then read.
inline constexpr int kLongestReadMs = 40000;

common::Answer<PageRead> readPage(BrowserView *view);
common::Answer<bool> changeHtml(BrowserView *view, const QString &innerHtml);
common::Answer<QString> readArticleJson(BrowserView *view);
// The page kept whole (BrowserView::readWholePage); "" also when 停止 is pressed meanwhile.
common::Answer<QString> readWholePage(BrowserView *view);
common::Answer<QString> readFocusedElementType(BrowserView *view);
common::Answer<bool> appendToFocusedElement(BrowserView *view, const QString &text);
common::Answer<bool> setValueByName(BrowserView *view, const QString &name, const QString &value);
// True when the view's page finished loading within `timeoutMs`, false when the time ran out
// or the view went away.
common::Answer<bool> documentComplete(BrowserView *view, int timeoutMs);

// The page of a tab as it stands; while the tab holds no document yet (its turn in the load
// queue has not come, or its first document has not arrived) it is waited for, the window
// answering all the while, for at most `limitMs`, after which NoDocument is the answer. A tab
// that waits for nothing (no load under way, no turn to come) answers NoDocument at once.
common::Task<PageRead> readLoadedPage(QPointer<BrowserView> view, int limitMs);

} // namespace browser
