#include "game/hud/cIconText.h"

#include "engine/ui/LayoutKeys.h"
#include "engine/ui/cPicture.h"

cIconText::cIconText(Engine::cControl* parent) : Engine::cTextLine(parent), m_icon(new Engine::cPicture(this))
{
}

cIconText::cIconText(const cIconText& other)
    : Engine::cTextLine(other), m_icon(new Engine::cPicture(*other.m_icon)),
      m_hasDisableView(other.m_hasDisableView), m_need(other.m_need), m_have(other.m_have)
{
    m_icon->setParent(this);
}

void cIconText::loadXML(const Engine::tPropertiesPtr& node)
{
    Engine::cTextLine::loadXML(node);
    Engine::tPropertiesPtr icon;
    if (!node->getChild(L"Icon", icon))
        throw "cIconText::loadXML(): can't find Icon tag";
    Engine::readKey(node, L"HasDisableView", m_hasDisableView);
    m_icon->loadXML(icon);
    m_icon->setPosition(m_icon->getPosition() + getPosition());
}

void cIconText::onEnable()
{
    Engine::cTextLine::onEnable();
    if (m_hasDisableView)
        m_icon->setFrame(0);
}

void cIconText::onDisable()
{
    Engine::cTextLine::onDisable();
    if (m_hasDisableView)
        m_icon->setFrame(1);
}

void cIconText::setText(const std::wstring& text)
{
    Engine::cTextLine::setText(text);
    layoutGlyphs();
}

void cIconText::setIcon(const std::string& path)
{
    m_icon->setTexture(path);
    m_icon->invalidate();
}

void cIconText::setIconFrom(const Engine::cImage& image)
{
    *static_cast<Engine::cImage*>(m_icon) = image;
    m_icon->invalidate();
}
