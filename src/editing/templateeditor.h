#pragma once

#include "templates.h"

namespace editing {

// The template editor's items and which one is shown: "上一项" and "下一项" step through
// them, "下一项" after the last one adds an empty item.
class TemplateEditorState {
public:
    // Starts at the first of `items`; with none, at one empty item.
    explicit TemplateEditorState(const QList<TemplateItem> &items = {})
        : m_items(items.isEmpty() ? QList<TemplateItem>(1) : items) {}

    int current() const { return m_current; } // 1-based
    int count() const { return int(m_items.size()); }
    const TemplateItem &shown() const { return m_items[m_current - 1]; }
    const QList<TemplateItem> &items() const { return m_items; }

    // Each takes the fields as they stand and stores them in the shown item first.
    void previous(const TemplateItem &fields);
    void next(const TemplateItem &fields);
    void store(const TemplateItem &fields) { m_items[m_current - 1] = fields; }

private:
    QList<TemplateItem> m_items;
    int m_current = 1;
};

} // namespace editing
