#include "game/hud/cTooltipView.h"

#include "engine/devices/cRender.h"
#include "engine/ui/LayoutKeys.h"
#include "engine/ui/cMultiLineText.h"
#include "game/hud/cResourceList.h"
#include "game/world/cGameResources.h"

cTooltipView::cTooltipView(Engine::cControl* parent)
    : Engine::cPicture(parent), m_in(new cResourceList(this)), m_out(new cResourceList(this))
{
}

cTooltipView::~cTooltipView() = default;

Engine::cVector2 cTooltipView::screenSize()
{
    if (const Engine::cRender* render = Engine::cSingleton<Engine::cRender>::instance())
        return Engine::cVector2(static_cast<float>(render->getWidth()),
                                static_cast<float>(render->getHeight()));
    return Engine::cVector2(1024.0f, 768.0f);
}

template <class T, class Make>
void cTooltipView::loadTagged(const Engine::tPropertiesPtr& node, const wchar_t* group,
                              std::map<std::wstring, T*>& tagged, Make make)
{
    Engine::tPropertiesPtr children;
    if (!node->getChild(group, children))
        return;
    Engine::tPropertiesList list;
    children->getChildren(list);
    for (const auto& child : list)
    {
        T* view = make(child);
        // The first view of a tag keeps it.
        const std::wstring& tag = child->getAttribute(L"Tag");
        if (!tag.empty())
            tagged.emplace(tag, view);
    }
}

void cTooltipView::loadXML(const Engine::tPropertiesPtr& node)
{
    Engine::readKey(node, L"ShowDelayTime", m_showDelay);
    // The panel first: its "deep" moves every child view already there by as much (see
    // cView::setDeep), which would lift rows read before it far above their own "deep", over
    // whatever covers the window.
    Engine::tPropertiesPtr panel;
    if (node->getChild(L"Panel", panel))
    {
        Engine::cPicture::loadXML(panel);
        Engine::readKey(panel, L"Offset", m_offset);
    }
    Engine::loadChildXML(m_in, node, L"in_res", nullptr);
    Engine::loadChildXML(m_out, node, L"out_res", nullptr);
    loadTagged(node, L"Texts", m_texts,
               [this](const Engine::tPropertiesPtr& child)
               {
                   auto* text = new Engine::cMultiLineText(this);
                   text->loadXML(child);
                   text->show();
                   text->enable();
                   return text;
               });
    loadTagged(node, L"Pics", m_pictures,
               [this](const Engine::tPropertiesPtr& child)
               {
                   auto* picture = new Engine::cPicture(this);
                   picture->loadXML(child);
                   return picture;
               });
    hide();
}

void cTooltipView::setAlpha(float alpha)
{
    Engine::cPicture::setAlpha(alpha);
    for (Engine::cControl* child : getChildren())
        if (auto* view = dynamic_cast<Engine::cView*>(child))
            view->setAlpha(alpha);
}

void cTooltipView::place(const Engine::cVector2& point)
{
    const Engine::cVector2 screen = screenSize();
    const Engine::cVector2 size = getSize();
    float x;
    float y;
    if (point.x <= screen.x * 0.5f)
    {
        setInverceX(false);
        x = point.x + size.x * 0.5f + m_offset.x;
    }
    else
    {
        setInverceX(true);
        x = point.x - size.x * 0.5f - m_offset.x;
    }
    if (point.y <= screen.y * 0.5f)
    {
        setInverceY(false);
        y = point.y + size.y * 0.5f + m_offset.y;
    }
    else
    {
        setInverceY(true);
        y = point.y - size.y * 0.5f - m_offset.y;
    }
    setPosition(Engine::cVector2(x, y));
}

void cTooltipView::update()
{
    const Engine::cVector2 screen = screenSize();
    const Engine::cVector2 at = getPosition();
    const Engine::cVector2 half = getSize() * 0.5f;
    if (at.x - half.x < 0.0f || at.x + half.x > screen.x || at.y - half.y < 0.0f || at.y + half.y > screen.y)
        place(at + m_offset);
    Engine::cPicture::update();
}

void cTooltipView::showTip()
{
    m_direction = 1.0f;
    if (!isVisible())
        m_delayLeft = m_showDelay;
    show();
}

void cTooltipView::hideTip()
{
    m_direction = -1.0f;
    // The tips are hidden whenever the pointer leaves a unit, which a moving unit makes it do
    // every frame: hiding a hidden tip again would change nothing but walk all its parts.
    if (!isVisible() && getTransparency() == 0.0f)
        return;
    hide();
}

void cTooltipView::setText(const std::wstring& tag, const std::wstring& text)
{
    if (Engine::cMultiLineText* view = findText(tag))
    {
        view->setLocalized(false);
        view->setText(text);
    }
}

void cTooltipView::showText(const std::wstring& tag, bool on)
{
    if (Engine::cMultiLineText* view = findText(tag))
    {
        if (on)
            view->show();
        else
            view->hide();
    }
}

Engine::cMultiLineText* cTooltipView::findText(const std::wstring& tag) const
{
    const auto found = m_texts.find(tag);
    return found == m_texts.end() ? nullptr : found->second;
}

void cTooltipView::setPicture(const std::wstring& tag, const std::string& path)
{
    if (Engine::cPicture* picture = findPicture(tag))
    {
        picture->setTexture(path);
        picture->invalidate();
        picture->show();
    }
}

void cTooltipView::showPicture(const std::wstring& tag)
{
    if (Engine::cPicture* picture = findPicture(tag))
        picture->show();
}

void cTooltipView::hidePicture(const std::wstring& tag)
{
    if (Engine::cPicture* picture = findPicture(tag))
        picture->hide();
}

Engine::cPicture* cTooltipView::findPicture(const std::wstring& tag) const
{
    const auto found = m_pictures.find(tag);
    return found == m_pictures.end() ? nullptr : found->second;
}

void cTooltipView::setLists(const cGameResources& in, const cGameResources& out, const cGameResources& have)
{
    m_in->setItems(in, have);
    m_out->setItems(out, out);
}
