#pragma once

#include "browser/tabhost.h"

#include <QStringList>

namespace testing_support {

// A clipboard of the test's own: nothing reaches the desktop's. Every change is reported
// at once, as the desktop's clipboard signals it, whoever made it.
class FakeClipboard : public browser::Clipboard {
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
class RecordingPanels : public browser::StatusPanels {
public:
    void setPanelText(const QString &panel, const QString &text) override {
        history.append(panel + "=" + text);
        last[panel] = text;
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

} // namespace testing_support
