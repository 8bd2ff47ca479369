#include "engine/core/xml/cPropertyName.h"

namespace Engine
{

cPropertyName::cText* cPropertyName::emptyText()
{
    static cText* const empty = []
    {
        auto* text = new cText(std::wstring_view());
        // An extra reference that is never given back.
        intrusive_ptr_add_ref(text);
        return text;
    }();
    return empty;
}

cPropertyName::cPropertyName() : m_text(emptyText()) {}

cPropertyName::cPropertyName(std::wstring_view text) : m_text(new cText(text)) {}

} // namespace Engine
