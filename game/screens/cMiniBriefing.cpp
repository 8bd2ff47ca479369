#include "game/screens/cMiniBriefing.h"

#include "engine/core/cTimer.h"
#include "engine/ui/LayoutKeys.h"
#include "engine/ui/cMultiLineText.h"
#include "engine/ui/cView.h"
#include "game/screens/CPlayState.h"

cMiniBriefing::cMiniBriefing(Engine::cControl* parent)
    : Engine::cPicture(parent), m_text(new Engine::cMultiLineText(this))
{
}

cMiniBriefing* cMiniBriefing::showText(const std::wstring& text)
{
    auto* message = new cMiniBriefing(getPlayView());
    try
    {
        Engine::loadLayout(*message, "UI/MiniBreafing.xml");
    }
    catch (...)
    {
        delete message;
        throw;
    }
    message->showMessage(text);
    return message;
}

void cMiniBriefing::loadXML(const Engine::tPropertiesPtr& node)
{
    Engine::cPicture::loadXML(node);
    Engine::readKey(node, L"ShowTime", m_showTime);
    if (!Engine::loadChildPart(*m_text, node, L"Text"))
        throw std::string("cMiniBriefing: the layout has no \"Text\".");
    m_fit.load(*this, node, *m_text);
}

void cMiniBriefing::showMessage(const std::wstring& text)
{
    m_countdown = m_showTime;
    show();
    enable();
    m_text->setText(text, true);
    m_fit.fit();
}

void cMiniBriefing::update()
{
    Engine::cPicture::update();
    if (!isShown())
        return;
    const Engine::cTimer* timer = Engine::cTimer::instance();
    m_countdown -= timer ? timer->getFrameTime() : 0.0f;
    if (m_countdown >= 0.0f)
        return;
    m_countdown = 0.0f;
    hide();
    disable();
    Engine::cControl::deleteLater(this);
}
