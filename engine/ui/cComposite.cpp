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

template <class T, class F>
void cComposite::loadGroup(const tPropertiesPtr& node, const wchar_t* name, F made)
{
    tPropertiesPtr group;
    if (!node->getChild(name, group) || !group)
        return;
    unsigned index = 0;
    for (auto it = group->childrenBegin(); it != group->childrenEnd(); ++it, ++index)
    {
        const tPropertiesPtr& element = it->value();
        try
        {
            T* part = new T(this);
            part->loadXML(element);
            made(part, element->getAttribute(L"Tag"));
        }
        catch (...)
        {
            rethrowInLayout("\"" + toUtf8(name) + "\" element number " + std::to_string(index));
        }
    }
}

void cComposite::loadXML(const tPropertiesPtr& node)
{
    cPicture::loadXML(node);
    if (!node)
        return;
    // Pictures first, then text lines, multi-line texts and effects; the first of a tag stays.
    loadGroup<cPicture>(node, L"SubPictures",
                        [this](cPicture* part, const std::wstring& tag)
                        {
                            if (!tag.empty())
                                m_pictures.emplace(tag, part);
                        });
    loadGroup<cTextLine>(node, L"SubTexts",
                         [this](cTextLine* part, const std::wstring& tag)
                         {
                             if (!tag.empty())
                                 m_texts.emplace(tag, part);
                         });
    loadGroup<cMultiLineText>(node, L"SubMultitexts",
                              [this](cMultiLineText* part, const std::wstring& tag)
                              {
                                  if (!tag.empty())
                                      m_multiTexts.emplace(tag, part);
                              });
    loadGroup<cPyro>(node, L"SubPyro", [](cPyro* part, const std::wstring&) { part->play(false, 0.0f); });
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
