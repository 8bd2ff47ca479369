#include "engine/ui/cComposite.h"

#include "engine/core/StringUtils.h"
#include "engine/ui/LayoutKeys.h"
#include "engine/ui/cControlFactory.h"
#include "engine/ui/cMultiLineText.h"
#include "engine/ui/cPyro.h"
#include "engine/ui/cTextLine.h"

#include <iterator>

namespace Engine
{

namespace
{

template <class T> T* findIn(const std::map<std::wstring, T*>& parts, const std::wstring& tag)
{
    const auto it = parts.find(tag);
    return it == parts.end() ? nullptr : it->second;
}

template <class T> void forget(std::map<std::wstring, T*>& parts, const cControl* child)
{
    for (auto it = parts.begin(); it != parts.end();)
        it = it->second == child ? parts.erase(it) : std::next(it);
}

// Sets the alpha of every view below `control`, down the whole subtree.
void setSubtreeAlpha(const cControl& control, float alpha)
{
    for (cControl* child : control.getChildren())
    {
        if (cView* view = dynamic_cast<cView*>(child))
            view->setAlpha(alpha);
        setSubtreeAlpha(*child, alpha);
    }
}

} // namespace

cComposite::cComposite(cControl* parent) : cPicture(parent) {}

void cComposite::loadXML(const tPropertiesPtr& node)
{
    cPicture::loadXML(node);
    if (!node)
        return;
    // Pictures first, then text lines, multi-line texts and effects; the first of a tag stays.
    const auto tagged = [](auto& parts)
    {
        return [&parts](auto* part, const tPropertiesPtr& element)
        {
            const std::wstring& tag = element->getAttribute(L"Tag");
            if (!tag.empty())
                parts.emplace(tag, part);
        };
    };
    loadPartGroup<cPicture>(this, node, L"SubPictures", tagged(m_pictures));
    loadPartGroup<cTextLine>(this, node, L"SubTexts", tagged(m_texts));
    loadPartGroup<cMultiLineText>(this, node, L"SubMultitexts", tagged(m_multiTexts));
    loadPartGroup<cPyro>(this, node, L"SubPyro",
                         [](cPyro* part, const tPropertiesPtr&) { part->play(false, 0.0f); });
}

void cComposite::setAlpha(float alpha)
{
    cPicture::setAlpha(alpha);
    setSubtreeAlpha(*this, alpha);
}

void cComposite::removeChild(cControl* child)
{
    forget(m_pictures, child);
    forget(m_texts, child);
    forget(m_multiTexts, child);
    cPicture::removeChild(child);
}

cPicture* cComposite::findPicture(const std::wstring& tag) const
{
    return findIn(m_pictures, tag);
}

cTextLine* cComposite::findText(const std::wstring& tag) const
{
    return findIn(m_texts, tag);
}

cMultiLineText* cComposite::findMultiText(const std::wstring& tag) const
{
    return findIn(m_multiTexts, tag);
}

namespace
{

const cControlFactory::cRegistration names({L"composite"}, &createControl<cComposite>);

} // namespace

} // namespace Engine
