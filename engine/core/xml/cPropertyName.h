#pragma once

#include <boost/intrusive_ptr.hpp>
#include <string>
#include <string_view>

namespace Engine
{

// The name under which the name-keyed node class files an attribute or a child. Every entry of
// one name in a document shares one text, so storing a name costs no allocation and two names
// from one document compare by pointer first. Compared by character.
class cPropertyName
{
public:
    // The empty name.
    cPropertyName();
    explicit cPropertyName(std::wstring_view text);

    const std::wstring& str() const { return m_text->text; }
    std::wstring_view view() const { return m_text->text; }

    friend bool operator==(const cPropertyName& a, const cPropertyName& b)
    {
        return a.m_text == b.m_text || a.m_text->text == b.m_text->text;
    }
    friend bool operator!=(const cPropertyName& a, const cPropertyName& b) { return !(a == b); }

private:
    // The engine's trees are used on one thread: the count is a plain integer.
    struct cText
    {
        explicit cText(std::wstring_view t) : text(t) {}
        unsigned refs = 0;
        std::wstring text;
    };
    friend void intrusive_ptr_add_ref(cText* text) { ++text->refs; }
    friend void intrusive_ptr_release(cText* text)
    {
        if (--text->refs == 0)
            delete text;
    }
    // The text of every default-made (empty) name; never released.
    static cText* emptyText();

    boost::intrusive_ptr<cText> m_text;
};

// Orders names by character; also compares names with plain texts, so tables keyed by
// cPropertyName are searched with a std::wstring_view.
struct cPropertyNameLess
{
    using is_transparent = void;

    bool operator()(const cPropertyName& a, const cPropertyName& b) const
    {
        return &a.str() != &b.str() && a.view() < b.view();
    }
    bool operator()(const cPropertyName& a, std::wstring_view b) const { return a.view() < b; }
    bool operator()(std::wstring_view a, const cPropertyName& b) const { return a < b.view(); }
};

} // namespace Engine
