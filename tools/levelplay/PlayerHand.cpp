#include "tools/levelplay/PlayerHand.h"

#include "engine/core/cLogic.h"
#include "engine/devices/cInput.h"
#include "engine/ui/cButtonPrototype.h"
#include "engine/ui/cView.h"
#include "game/screens/CGameEngine.h"
#include "platform/input/ScriptedInput.h"
#include "tests/support/PointerDevices.h"

#include <boost/signals2/connection.hpp>

#include <algorithm>

namespace LevelPlay
{

namespace
{

// How long the patient hand waits for a button to light up, and how often it presses.
constexpr int kSettleFrames = 200;
constexpr int kPatientTries = 3;

} // namespace

PlayerHand::PlayerHand()
{
    auto backend = std::make_unique<Platform::ScriptedInput>(false);
    m_script = backend.get();
    m_input = std::make_unique<Engine::cInput>(std::move(backend));
    auto devices = std::make_unique<Test::PointerDevices>();
    m_pointer = devices.get();
    m_logic = std::make_unique<Engine::cLogic>(std::move(devices));
    m_logic->setFrameCallback([] { CGameEngine::instance().Update(); });
    frame();
}

PlayerHand::~PlayerHand()
{
    m_logic.reset();
    m_input.reset();
}

void PlayerHand::frame()
{
    m_logic->update();
    ++m_frames;
    if (m_afterFrame)
        m_afterFrame();
}

const Engine::cVector2& PlayerHand::pointer() const
{
    return m_pointer->cursor;
}

void PlayerHand::moveTo(const Engine::cVector2& place)
{
    const Engine::cVector2 from = m_pointer->cursor;
    m_pointer->cursor = place;
    const int dx = static_cast<int>(place.x - from.x);
    m_script->mouseMove(dx == 0 ? 1 : dx, static_cast<int>(place.y - from.y));
    frame();
    nudge();
}

void PlayerHand::nudge()
{
    // The device reports movement only: a motion of a pixel that the pointer's place (read
    // apart from it) does not follow.
    m_script->mouseMove(1, 0);
    frame();
}

void PlayerHand::pressAndRelease()
{
    m_script->mouseButton(0, true);
    frame();
    m_script->mouseButton(0, false);
    frame();
}

void PlayerHand::secondaryClick()
{
    m_script->mouseButton(1, true);
    frame();
    m_script->mouseButton(1, false);
    frame();
}

void PlayerHand::key(uint8_t code)
{
    m_script->keyDown(code);
    m_script->keyUp(code);
    frame();
}

bool PlayerHand::press(Engine::cButtonPrototype& button, bool patient)
{
    bool clicked = false;
    const boost::signals2::scoped_connection watch =
        button.clickSignal.connect([&clicked](Engine::cView*) { clicked = true; });
    const Engine::cControl* target = &button;
    for (int attempt = 0; attempt < (patient ? kPatientTries : 1) && !clicked; ++attempt)
    {
        if (!Engine::cControl::isAlive(target))
            return false;
        moveTo(button.getPosition());
        for (int i = 0; patient && i < kSettleFrames && Engine::cControl::isAlive(target) &&
                        button.getState() != Engine::cButtonPrototype::StateHover;
             ++i)
            nudge();
        if (!Engine::cControl::isAlive(target))
            return clicked;
        pressAndRelease();
    }
    return clicked;
}

std::vector<const Engine::cView*> PlayerHand::viewsAt(const Engine::cVector2& place)
{
    std::vector<const Engine::cView*> found;
    std::vector<Engine::cView*> order = Engine::cView::getRenderOrder();
    for (auto it = order.rbegin(); it != order.rend(); ++it)
    {
        const Engine::cView* view = *it;
        if (!view->isShown() || view->getSize().x <= 0.0f || view->getSize().y <= 0.0f)
            continue;
        const auto* button = dynamic_cast<const Engine::cButtonPrototype*>(view);
        if (button ? button->containsPoint(place) : view->hitTest(place))
            found.push_back(view);
    }
    return found;
}

} // namespace LevelPlay
