#include "game/screens/cMiniBriefing.h"

#include "engine/core/cTimer.h"
#include "engine/ui/LayoutKeys.h"
#include "engine/ui/cMultiLineText.h"
#include "engine/ui/cView.h"
#include "game/hud/cTooltipView.h"
#include "game/screens/CGameEngine.h"
#include "game/screens/CPlayState.h"

#include <algorithm>

namespace
{

// The room left between a message and what it moved away from.
constexpr float kClearance = 8.0f;

} // namespace

cMiniBriefing* cMiniBriefing::s_shown = nullptr;

cMiniBriefing::cMiniBriefing(Engine::cControl* parent)
    : Engine::cPicture(parent), m_text(new Engine::cMultiLineText(this))
{
}

cMiniBriefing::~cMiniBriefing()
{
    if (s_shown == this)
        s_shown = nullptr;
}

cMiniBriefing* cMiniBriefing::showText(const std::wstring& text, const TipPlacement::Box& avoid,
                                       const std::vector<TipPlacement::Box>& leaveInSight)
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
    if (s_shown)
        s_shown->dismiss();
    message->showMessage(text);
    message->keepClearOf(avoid, leaveInSight);
    s_shown = message;
    return message;
}

void cMiniBriefing::loadXML(const Engine::tPropertiesPtr& node)
{
    Engine::cPicture::loadXML(node);
    Engine::readKey(node, L"ShowTime", m_showTime);
    Engine::readKey(node, L"LetterTime", m_letterTime);
    if (!Engine::loadChildPart(*m_text, node, L"Text"))
        throw std::string("cMiniBriefing: the layout has no \"Text\".");
    m_fit.load(*this, node, *m_text);
}

void cMiniBriefing::showMessage(const std::wstring& text)
{
    // A long text stays up long enough to be read.
    m_countdown = std::max(m_showTime, m_letterTime * static_cast<float>(text.size()));
    show();
    enable();
    m_text->setText(text, true);
    m_fit.fit();
}

void cMiniBriefing::keepClearOf(const TipPlacement::Box& avoid,
                                const std::vector<TipPlacement::Box>& leaveInSight)
{
    const Engine::cVector2 place = getPosition();
    const Engine::cVector2 screen = cTooltipView::screenSize();
    const std::vector<TipPlacement::Box> watched = TipPlacement::watched();
    std::vector<TipPlacement::Box> inSight = watched;
    inSight.insert(inSight.end(), leaveInSight.begin(), leaveInSight.end());
    Engine::cVector2 clear = TipPlacement::awayFrom(avoid, inSight, place, getSize(), screen, kClearance);
    // The units to leave in sight give way where no place is clear of them too.
    const TipPlacement::Box box = TipPlacement::boxAt(clear, getSize());
    const auto covers = [&box](const TipPlacement::Box& other) { return box.overlaps(other); };
    if (!leaveInSight.empty() && (covers(avoid) || std::any_of(watched.begin(), watched.end(), covers)))
        clear = TipPlacement::awayFrom(avoid, watched, place, getSize(), screen, kClearance);
    // The message's views move with it.
    if (clear.x != place.x || clear.y != place.y)
        setPosition(clear);
}

void cMiniBriefing::dismiss()
{
    if (s_shown == this)
        s_shown = nullptr;
    hide();
    disable();
    Engine::cControl::deleteLater(this);
}

void cMiniBriefing::update()
{
    Engine::cPicture::update();
    // Its time stands while a message over every screen is read.
    if (!isShown() || CGameEngine::instance().isTelling())
        return;
    const Engine::cTimer* timer = Engine::cTimer::instance();
    m_countdown -= timer ? timer->getFrameTime() : 0.0f;
    if (m_countdown >= 0.0f)
        return;
    m_countdown = 0.0f;
    dismiss();
}
