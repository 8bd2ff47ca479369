#include "game/screens/cLevelFinishPanel.h"

#include "engine/core/StringUtils.h"
#include "engine/core/cProfileManager.h"
#include "engine/core/cProps.h"
#include "engine/ui/LayoutKeys.h"
#include "engine/ui/RequiredControl.h"
#include "engine/ui/cButtonPrototype.h"
#include "engine/ui/cTextLine.h"
#include "game/hud/cPathEffect.h"
#include "game/hud/cStatusPanel.h"
#include "game/screens/CGameEngine.h"
#include "game/screens/CPlayState.h"
#include "game/world/Game.h"
#include "game/world/LevelLocation.h"
#include "game/world/cGameSounds.h"

#include <filesystem>
#include <string>

namespace
{

// The results' title: a level of the data folder by its path, which the strings turn into the
// level's name; a level file from anywhere else by its own name, without folder or extension.
std::wstring levelTitle(const std::wstring& path)
{
    if (!LevelLocation::isOnDisk(path))
        return path;
    return std::filesystem::path(path).stem().wstring();
}

} // namespace

cLevelFinishPanel::cLevelFinishPanel(Engine::cControl* parent) : Engine::cForm(parent)
{
    Engine::loadLayout(*this, "UI/PanelLevelFinish.xml");
    Engine::requiredControl<Engine::cButtonPrototype>(*this, L"OkButton", "UI/PanelLevelFinish.xml", "button")
        .connectClickAction([this] { onOk(); });
}

void cLevelFinishPanel::loadXML(const Engine::tPropertiesPtr& node)
{
    Engine::cForm::loadXML(node);
    Engine::readKey(node, L"JumpTime", m_jumpTime);
    Engine::readKey(node, L"FlowTime", m_flowTime);
    Engine::readKey(node, L"StartDelayTime", m_startDelayTime);
    Engine::readKey(node, L"BestTimeDelayTime", m_bestTimeDelayTime);
    Engine::tPropertiesPtr prizes;
    if (!node->getChild(L"Prizes", prizes))
        return;
    for (unsigned i = 0; i < std::min(prizes->getChildCount(), 3u); ++i)
    {
        Engine::tPropertiesPtr prize;
        prizes->getChildAt(i, prize);
        m_prizePictures[i].loadXML(prize);
        Engine::readKey(prize, L"Color", m_prizeColors[i]);
        Engine::readKey(prize, L"Name", m_prizeNames[i]);
    }
}

void cLevelFinishPanel::showResults()
{
    show();
    enable();
    m_complete = false;
    m_prizeShown = false;
    m_newBest = false;
    const Game* game = Game::instance();
    if (auto* name = find<Engine::cTextLine>(L"LevelNameText"); name && game)
    {
        name->setText(levelTitle(game->getLevelPath()));
        CGameEngine::trace((L"Results of " + name->getText() + L"\n").c_str());
    }
    for (const wchar_t* tag : {L"PrizeProto", L"PrizeText"})
        if (Engine::cControl* view = findControl(tag))
            view->hide();

    // The win is recorded already: the record to beat is the one from before it.
    m_stored = CPlayState::instance().bestTimeBeforeWin();
    if (m_stored.isSet())
    {
        // The holder's time is shown with the holder's name.
        if (auto* bestTime = find<Engine::cTextLine>(L"BestTimeTextValue"))
            bestTime->setText(Engine::timeToString(static_cast<float>(m_stored.time)));
        showBestTime(true);
        showHolder(m_stored.name);
    }
    else
    {
        showBestTime(false);
        showHolder(std::wstring());
    }

    const cStatusPanel* panel = cStatusPanel::instance();
    const int medal = panel ? panel->getMedalState() : -1;
    // The medal is unset before the panel's first frame, and only 0, 1 and 2 have a prize.
    m_shownMedal = medal == 0 || medal == 1 ? medal : 2;
    if (cGameSounds* sounds = cGameSounds::instance())
        sounds->play(m_shownMedal == 0   ? "gold_fanfars"
                     : m_shownMedal == 1 ? "silver_fanfars"
                                         : "simple_fanfars");
    showPrize();
    checkBestTime();
    m_complete = true;
}

void cLevelFinishPanel::showPrize()
{
    if (m_prizeShown)
        return;
    m_prizeShown = true;
    if (auto* prize = find<Engine::cView>(L"PrizeProto"))
    {
        *static_cast<Engine::cImage*>(prize) = m_prizePictures[m_shownMedal];
        prize->invalidate();
        prize->show();
    }
    if (auto* text = find<Engine::cTextLine>(L"PrizeText"))
    {
        text->setColor(m_prizeColors[m_shownMedal]);
        text->setText(m_prizeNames[m_shownMedal]);
        text->show();
        text->enable();
    }
    if (m_shownMedal < 2)
    {
        playEffect("Effects/BonusEffect.xml", L"PrizeProto");
        playEffect("Effects/BonusEffectGold.xml", L"PrizeProto");
    }
    // The player's own time.
    if (auto* time = find<Engine::cTextLine>(L"TimeTextValue"))
        time->setText(Engine::timeToString(Game::instance() ? Game::instance()->getLevelTime() : 0.0f));
}

void cLevelFinishPanel::checkBestTime()
{
    const Engine::cProfileManager* profiles = Engine::cProfileManager::instance();
    const Game* game = Game::instance();
    if (!profiles || !game)
        return;
    // A level of no number keeps no best time: there is none to beat or to set.
    if (LevelLocation::playedNumber() == LevelLocation::kUnnumbered)
        return;
    const uint32_t time = static_cast<uint32_t>(game->getLevelTime());
    if (m_stored.isSet() && time >= m_stored.time)
        return;
    m_newBest = true;
    showHolder(profiles->currentUserName());
    if (auto* value = find<Engine::cTextLine>(L"BestTimeTextValue"))
        value->setText(Engine::timeToString(static_cast<float>(time)));
    showBestTime(true);
    playEffect("Effects/BonusEffectTime.xml", L"BestNameTextValue");
}

void cLevelFinishPanel::showBestTime(bool on)
{
    // The label goes with its value: a level that keeps no best time shows neither.
    showOnPlate(L"BestTimeTextValue", on);
    showOnPlate(L"BestTimeLabel", on);
}

void cLevelFinishPanel::showHolder(const std::wstring& name)
{
    // A time the level ships with is held by a blank name: no one to say it was set by.
    const bool named = name.find_first_not_of(L' ') != std::wstring::npos;
    if (auto* value = find<Engine::cTextLine>(L"BestNameTextValue"))
        value->setText(name);
    showOnPlate(L"BestNameTextValue", named);
    showOnPlate(L"BestNameLabel", named);
}

void cLevelFinishPanel::showOnPlate(const wchar_t* tag, bool on)
{
    for (Engine::cControl* view : {findControl(tag), findControl(tag + std::wstring(L"Plate"))})
    {
        if (!view)
            continue;
        if (on)
            view->show();
        else
            view->hide();
    }
}

void cLevelFinishPanel::playEffect(const char* path, const wchar_t* above)
{
    // The effect's path is written in screen points: it starts from (0, 0).
    auto* effect = new cPathEffect(this, Engine::cVector2(0.0f, 0.0f), path);
    const auto* view = find<Engine::cView>(above);
    effect->setDeep((view ? view->getDeep() : getDeep()) + 1.0f);
}

void cLevelFinishPanel::onOk()
{
    if (m_complete)
    {
        hide();
        return;
    }
    showPrize();
    checkBestTime();
    m_complete = true;
}
