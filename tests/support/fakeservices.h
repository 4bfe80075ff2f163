#pragma once

#include "commands/batchprogress.h"
#include "commands/clipboard.h"
#include "commands/statuspanels.h"

#include <QStringList>

namespace testing_support {

// A clipboard of the test's own: nothing reaches the desktop's. Every change is reported
// at once, as the desktop's clipboard signals it, whoever made it.
class FakeClipboard : public commands::Clipboard {
public:
    QString text() const override { return m_text; }
    void setText(const QString &text) override {
        m_text = text;
        notifyChanged();
    }
    void clear() override {
        m_text.clear();
        ++clears;
        notifyChanged();
    }
    int clears = 0;

private:
    QString m_text;
};

// Records every text put into a status panel, in order.
class RecordingPanels : public commands::StatusPanels {
public:
    void setPanelText(commands::Panel panel, const QString &text) override {
        const QString key = commands::panelKey(panel); // the panel's widget name: "s2"
        history.append(key + "=" + text);
        last[key] = text;
    }
    QStringList of(const QString &panel) const {
        QStringList texts;
        for (const QString &entry : history) {
            if (entry.startsWith(panel + "="))
                texts.append(entry.mid(panel.size() + 1));
        }
        return texts;
    }
    QStringList history;
    QHash<QString, QString> last;
};

// A progress bar whose user clicks 停止 once `stopAfter` steps are over (never when -1).
class FakeProgress : public commands::BatchProgress {
public:
    void begin(int total) override {
        totals.append(total);
        done = 0;
    }
    void advance(int steps, const QString &line) override {
        done = steps;
        lines.append(line);
    }
    bool stopRequested() override { return stopAfter >= 0 && done >= stopAfter; }
    void end() override { ++ended; }

    int stopAfter = -1;
    int done = 0;
    int ended = 0;
    QList<int> totals;
    QStringList lines;
};

} // namespace testing_support
