#include "game/screens/CMapState.h"

#include "engine/core/StringUtils.h"
#include "engine/core/cProfileManager.h"
#include "engine/core/cProps.h"
#include "engine/core/cString.h"
#include "engine/core/cStrings.h"
#include "engine/devices/cResourceManager.h"
#include "engine/ui/LayoutKeys.h"
#include "engine/ui/RequiredControl.h"
#include "engine/ui/cButtonPrototype.h"
#include "game/screens/CDialogState.h"
#include "game/screens/CGameEngine.h"
#include "game/screens/CMenuState.h"
#include "game/screens/CPlayState.h"
#include "game/screens/cMap.h"
#include "game/screens/cSystemMessage.h"
#include "game/screens/cYesNoPanel.h"
#include "game/world/BestTimes.h"
#include "game/world/Game.h"
#include "game/world/GameConfig.h"
#include "game/world/LevelArchive.h"

#include <algorithm>
#include <string>

namespace
{

// The unfinished game belongs to the current player: without one (a store made for no name)
// there is none.
bool playerHasProfile()
{
    const Engine::cProfileManager* profiles = Engine::cProfileManager::instance();
    return profiles && !profiles->currentUserName().empty();
}

// A question about a level, with the level named in it: "{number}" becomes its number as the
// player counts (from 1), "{name}" its name, the display text of its level file.
std::wstring aboutLevel(std::wstring question, int level)
{
    std::wstring name = Game::levelPath(level);
    if (Engine::cStrings* strings = Engine::cStrings::instance())
        name = strings->translate(name);
    Engine::replaceAll(question, L"{number}", std::to_wstring(level + 1));
    Engine::replaceAll(question, L"{name}", name);
    return question;
}

// Pushes the yes/no question about a level and fills it.
boost::shared_ptr<cYesNoPanel> askQuestion(const std::wstring& question, int level)
{
    auto& dialog = CDialogState<cYesNoPanel>::instance();
    dialog.setPopOnPanelClose(true);
    CGameEngine::instance().PushState(&dialog);
    const boost::shared_ptr<cYesNoPanel> panel = dialog.getPanel();
    if (panel)
        panel->setText(aboutLevel(question, level));
    return panel;
}

// The map's continue question: the map's own when it is up, else its layout's.
std::wstring continueQuestion()
{
    if (const cMap* map = CMapState::instance().getMap())
        return map->getContinueQuestion();
    std::wstring question;
    if (Engine::cResourceManager* resources = Engine::cResourceManager::instance())
        Engine::readKey(resources->getXml(cMap::Layout, true), L"ContinueGameString", question);
    return question;
}

// The message that tells the player what became of the values read last, once; nullptr when
// they read.
const char* valuesLossLayout()
{
    using eValuesLoss = Engine::cProfileManager::eValuesLoss;
    Engine::cProfileManager* profiles = Engine::cProfileManager::instance();
    switch (profiles ? profiles->takeValuesLoss() : eValuesLoss::none)
    {
    case eValuesLoss::keptAside:
        return cSystemMessage::ValuesKeptLayout;
    case eValuesLoss::missing:
        return cSystemMessage::ValuesMissingLayout;
    case eValuesLoss::leftInPlace:
        return cSystemMessage::ValuesLeftLayout;
    case eValuesLoss::none:
        break;
    }
    return nullptr;
}

// The message that tells the player that the best times were damaged and kept aside, once;
// nullptr when they read. The table is read here when it was not read before.
const char* bestTimesLossLayout()
{
    return BestTimes::instance().takeKeptAside() ? cSystemMessage::BestTimesKeptLayout : nullptr;
}

} // namespace

CMapState& CMapState::instance()
{
    static CMapState state;
    return state;
}

Engine::cControl* CMapState::getView() const
{
    return m_map.get();
}

void CMapState::Init()
{
    CGameEngine::trace(L"CMapState Init\n");
    // A level named on the command line was the first level played: from the map on, the
    // player chooses.
    CGameEngine::instance().setLevelPath(L"");
    m_map.reset(new cMap(nullptr), [](cMap* map) { Engine::deleteLater(map); });
    Engine::requiredControl<Engine::cButtonPrototype>(*m_map, L"MainMenuButton", cMap::Layout, "button")
        .connectClickAction([this] { onBack(); });
    m_map->levelChosenSignal.connect([this](int32_t level) { onLevelChosen(level); });
    m_continueDeclined = false;
    const bool offer = CGameEngine::instance().enteredFromMainMenu();
    // What became of the player's values and of the best times comes first: the map waits
    // under the messages, and the question about the unfinished game follows the last OK.
    const char* valuesLoss = valuesLossLayout();
    const char* bestTimesLoss = bestTimesLossLayout();
    if (valuesLoss || bestTimesLoss)
    {
        Resume();
        m_map->disable();
        const boost::function<void()> offerThen = [this, offer]
        {
            if (m_map && CGameEngine::instance().topState() == this)
                offerSavedLevel(offer);
        };
        if (valuesLoss)
            CGameEngine::tell(valuesLoss, L"CMapState values loss told\n",
                              bestTimesLoss ? boost::function<void()>() : offerThen);
        if (bestTimesLoss)
            CGameEngine::tell(bestTimesLoss, L"CMapState best times loss told\n", offerThen);
        return;
    }
    offerSavedLevel(offer);
}

void CMapState::offerSavedLevel(bool offer)
{
    if (offer && savedLevel() >= 0)
    {
        m_map->show();
        askContinueLevel();
        return;
    }
    Resume();
}

void CMapState::Cleanup()
{
    CGameEngine::trace(L"CMapState Cleanup\n");
    m_map.reset();
}

void CMapState::Pause()
{
    CGameEngine::trace(L"CMapState Pause\n");
    if (m_map)
        m_map->disable();
}

void CMapState::Resume()
{
    CGameEngine::trace(L"CMapState Resume\n");
    if (Engine::cResourceManager* resources = Engine::cResourceManager::instance())
        resources->releaseUnused();
    if (m_map)
    {
        if (!m_messageOverMap)
            m_map->enable();
        m_map->show();
    }
}

void CMapState::Update(CGameEngine*) {}

void CMapState::onBack()
{
    CGameEngine::instance().ChangeState(&CMenuState::instance());
}

void CMapState::onLevelChosen(int32_t level)
{
    // The choice becomes the player's "CurrentLevel" only with a Yes: a No leaves the profile
    // as it was.
    m_chosenLevel = level;
    if (!m_continueDeclined && savedLevel() == level)
        askContinueLevel();
    else
        askBeginLevel();
}

void CMapState::askBeginLevel()
{
    if (const boost::shared_ptr<cYesNoPanel> panel =
            askQuestion(m_map ? m_map->getBeginQuestion() : L"", m_chosenLevel))
        panel->setYesAction([this] { onBeginYes(); });
}

void CMapState::onBeginYes()
{
    Engine::cProps::set<int>(L"CurrentLevel", m_chosenLevel);
    dropSavedLevel();
    if (m_map)
        m_map->disable();
    CGameEngine::instance().ChangeState(&CPlayState::instance());
}

void CMapState::askContinueLevel()
{
    // The question names the level the save holds, whichever node was clicked.
    askContinue(
        std::max(m_savedLevel, 0), [this] { onContinueYes(); }, [this] { onContinueNo(); });
}

void CMapState::onContinueYes()
{
    if (m_map)
        m_map->disable();
    continueSavedLevel(m_savedLevel);
}

void CMapState::onContinueNo()
{
    // A No (Escape too) only puts the question aside: the unfinished game goes when another
    // level begins.
    m_continueDeclined = true;
}

int CMapState::savedLevel()
{
    const char* overMap = nullptr;
    const char* overLevel = nullptr;
    m_savedLevel = readSavedLevel(overMap, overLevel);
    if (overMap)
    {
        // The map waits under the message disabled, as under every message told over it, and
        // comes back with its OK unless a question or another screen stands over it by then.
        m_messageOverMap = true;
        if (m_map)
            m_map->disable();
        CGameEngine::tell(overMap, L"CMapState damaged save told\n",
                          [this]
                          {
                              m_messageOverMap = false;
                              if (m_map && CGameEngine::instance().topState() == this)
                                  m_map->enable();
                          });
    }
    return m_savedLevel;
}

int CMapState::readSavedLevel(const char*& overMap, const char*& overLevel)
{
    overMap = overLevel = nullptr;
    if (!playerHasProfile())
        return -1;
    SavedLevelFile save = SavedLevelFile::read();
    if (save.state == SavedLevelFile::eState::damaged)
    {
        save.keepDamaged();
        // A file left where it is is met again: it is told once.
        static std::string toldLeft;
        if (!save.keptAside && save.error == toldLeft)
            return save.level;
        if (!save.keptAside)
            toldLeft = save.error;
        overMap = save.keptAside ? cSystemMessage::SaveDamagedLayout
                  : save.noFile  ? cSystemMessage::SaveBlockedLayout
                                 : cSystemMessage::SaveLeftLayout;
        overLevel = save.keptAside ? cSystemMessage::SaveKeptLevelStartsLayout
                                   : cSystemMessage::SaveLeftLevelStartsLayout;
        Game::reportError(save.error);
    }
    return save.level;
}

void CMapState::askContinue(int level, const boost::function<void()>& yes, const boost::function<void()>& no)
{
    if (const boost::shared_ptr<cYesNoPanel> panel = askQuestion(continueQuestion(), level))
    {
        panel->setYesAction(yes);
        panel->setNoAction(no);
    }
}

void CMapState::continueSavedLevel(int level)
{
    // The restore makes the saved level the player's. Should it not restore, the level starts
    // afresh when the player had reached it, else the player's own: a damaged file opens no
    // level.
    if (level >= 0 && Game::isLevelOpened(level))
        Engine::cProps::set<int>(L"CurrentLevel", level);
    CGameEngine& engine = CGameEngine::instance();
    engine.setLevelPath(L"");
    engine.setContinueSavedLevel(true);
    engine.ChangeState(&CPlayState::instance());
}

void CMapState::dropSavedLevel(int ofLevel)
{
    if (!playerHasProfile())
        return;
    const SavedLevelFile save = SavedLevelFile::read();
    if (save.state == SavedLevelFile::eState::usable && (ofLevel < 0 || save.level == ofLevel))
        GameConfig::instance().deleteSavedLevel();
}

void CMapState::beforeGivenLevel(const boost::function<void()>& begin)
{
    if (const char* layout = valuesLossLayout())
        CPlayState::instance().tellFirst(layout, L"values loss");
    if (const char* layout = bestTimesLossLayout())
        CPlayState::instance().tellFirst(layout, L"best times loss");
    const char* overMap = nullptr;
    const char* overLevel = nullptr;
    const int saved = readSavedLevel(overMap, overLevel);
    if (overLevel)
        CPlayState::instance().tellFirst(overLevel, L"damaged save");
    if (saved < 0)
    {
        begin();
        return;
    }
    askContinue(
        saved, [saved] { continueSavedLevel(saved); },
        [begin]
        {
            dropSavedLevel();
            begin();
        });
}
