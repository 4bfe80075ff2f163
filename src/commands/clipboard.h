#pragma once

#include <QString>

#include <functional>

namespace commands {

// The system clipboard's text. A listener hears of every change made by another program;
// changes the program makes itself while an OwnUse guard is held are not reported.
class Clipboard {
public:
    virtual ~Clipboard() = default;
    virtual QString text() const = 0;
    virtual void setText(const QString &text) = 0;
    virtual void clear() = 0;

    void setChangeListener(std::function<void()> listener) { m_listener = std::move(listener); }

    // Held by the program's own reads through the clipboard (the selection copied and read
    // back): the change it makes is not a copy of the user's.
    class OwnUse {
    public:
        explicit OwnUse(Clipboard &clipboard) : m_clipboard(clipboard) { ++m_clipboard.m_ownUse; }
        ~OwnUse() { --m_clipboard.m_ownUse; }
        OwnUse(const OwnUse &) = delete;
        OwnUse &operator=(const OwnUse &) = delete;

    private:
        Clipboard &m_clipboard;
    };

protected:
    // Called by the implementation whenever the clipboard's content changed.
    void notifyChanged() {
        if (m_ownUse == 0 && m_listener)
            m_listener();
    }

private:
    std::function<void()> m_listener;
    int m_ownUse = 0;
};

} // namespace commands
