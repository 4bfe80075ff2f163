#include "templateeditor.h"

namespace editing {

void TemplateEditorState::previous(const TemplateItem &fields) {
    if (m_current <= 1)
        return;
    store(fields);
    --m_current;
}

void TemplateEditorState::next(const TemplateItem &fields) {
    store(fields);
    ++m_current;
    if (m_current > count())
        m_items.append(TemplateItem{});
}

} // namespace editing
