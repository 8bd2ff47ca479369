#include "game/screens/CGameEngine.h"

#include "engine/core/ErrorText.h"
#include "engine/core/SaveFailures.h"
#include "engine/core/cAppParams.h"
#include "engine/core/cApplication.h"
#include "engine/core/cControl.h"
#include "engine/core/cLogic.h"
#include "engine/core/cProfileManager.h"
#include "engine/core/cSettings.h"
#include "engine/core/cTimer.h"
#include "engine/devices/cInput.h"
#include "engine/ui/cPyro.h"
#include "game/screens/CGameState.h"
#include "game/screens/PlayerValueRanges.h"
#include "game/screens/PlayerVolumes.h"
#include "game/screens/cSystemMessage.h"
#include "game/world/GameTrace.h"
#include "game/world/LevelLocation.h"
#include "game/world/ManagerShutdowns.h"

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <optional>

namespace
{

// Runs a state's clean-up with the tree's removal flag raised, as the deferred deletion raises it:
// what the state lets go of may ask whether it is being removed. The flag is put back as it was,
// also when the clean-up throws.
void cleanUp(CGameState& state)
{
    struct RaisedFlag
    {
        const bool before = Engine::cControl::getRemovalFlag();
        RaisedFlag() { Engine::cControl::setRemovalFlag(true); }
        ~RaisedFlag() { Engine::cControl::setRemovalFlag(before); }
    } raised;
    state.Cleanup();
}

} // namespace

CGameEngine& CGameEngine::instance()
{
    static CGameEngine engine;
    return engine;
}

CGameEngine::CGameEngine()
{
    // Whatever is traced changes what the screen shows: it settles anew.
    GameTrace::setListener([this] { m_quietFrames = 0; });
    // A player made current (the menu's, the command line's, one chosen or named) is heard at
    // the player's volumes from the first sound on.
    Engine::cProfileManager::setCurrentUserListener(&applyPlayerVolumes);
}

// The application is deleted by Cleanup; at process exit nothing of the engine may be touched.
CGameEngine::~CGameEngine()
{
    GameTrace::setListener({});
    Engine::cProfileManager::setCurrentUserListener({});
}

Engine::cApplication* CGameEngine::Init(const std::wstring& commandLine, const char* dataFolderName,
                                        bool singleInstance)
{
    m_commandLine = commandLine;
    declarePlayerValueRanges();
    Engine::cAppParams params;
    params.window = nullptr;
    params.instance = nullptr;
    params.noSound = false;
    params.onInit = nullptr;
    params.onExit = nullptr;
    params.userData = &m_commandLine;
    params.dataFolderName = dataFolderName;
    params.singleInstance = singleInstance;
    Engine::resetSaveFailures();
    m_application = Engine::cApplication::create(params);
    m_application->windowRefusedSignal.connect(&CGameEngine::tellWindowRefused);
    watchSaveFailures();
    // The settings were read as the application started: a damaged file of the player's, kept
    // aside, is told over the first screen, as settings that could not be opened are.
    if (Engine::cSettings* settings = Engine::cSettings::instance(); settings && settings->takeKeptAside())
        tell(cSystemMessage::SettingsKeptLayout, L"CGameEngine settings loss told\n");
    m_running = true;
    return m_application;
}

void CGameEngine::watchSaveFailures()
{
    Engine::setSaveFailureListener([](Engine::eSavedFile file, const std::string&)
                                   { tellSaveFailure(file); });
}

void CGameEngine::tell(const char* layout, const wchar_t* traced, const boost::function<void()>& then,
                       const wchar_t* textKey)
{
    CGameEngine& engine = instance();
    // A message that stands (open or waiting) is not told again: what follows it waits for the
    // OK of the one that stands.
    const auto same = [&](const sMessage& told)
    {
        return std::strcmp(told.layout, layout) == 0 &&
               std::wcscmp(told.textKey ? told.textKey : L"", textKey ? textKey : L"") == 0;
    };
    auto& waiting = engine.m_waitingMessages;
    sMessage* standing = engine.m_openMessage && same(engine.m_openTold) ? &engine.m_openTold : nullptr;
    if (const auto found = std::find_if(waiting.begin(), waiting.end(), same); found != waiting.end())
        standing = &*found;
    if (standing)
    {
        if (then)
            standing->then = [first = standing->then, then]
            {
                if (first)
                    first();
                then();
            };
        return;
    }
    waiting.push_back({layout, traced, then, textKey});
    engine.tellNext();
}

void CGameEngine::tellNext()
{
    while (!m_openMessage && !m_waitingMessages.empty())
    {
        m_openTold = m_waitingMessages.front();
        m_waitingMessages.pop_front();
        const sMessage& next = m_openTold;
        trace(next.traced.c_str());
        Engine::cInput* input = Engine::cInput::instance();
        const uint32_t layer = input ? input->openLayer() : 0;
        try
        {
            // The message's controls connect to its own layer of the input.
            std::optional<Engine::cInput::cLayerScope> scope;
            if (input)
                scope.emplace(*input, layer);
            auto* message = new cSystemMessage(nullptr, next.layout, next.textKey);
            m_openMessage = message;
            m_messageLayer = layer;
            message->show();
            message->enable();
            message->closedSignal.connect([this](cSystemMessage*) { onMessageClosed(); });
        }
        catch (...)
        {
            if (m_openMessage)
                Engine::cControl::deleteLater(m_openMessage);
            m_openMessage = nullptr;
            if (input)
                input->closeLayer(layer);
            Engine::reportProblem(L"game", std::string("The player could not be told \"") + next.layout +
                                               "\": " + Engine::currentExceptionText());
            const boost::function<void()> then = m_openTold.then;
            m_openTold = {};
            if (then)
                then();
        }
    }
}

void CGameEngine::onMessageClosed()
{
    // The message deletes itself.
    m_openMessage = nullptr;
    const boost::function<void()> then = m_openTold.then;
    m_openTold = {};
    if (Engine::cInput* input = Engine::cInput::instance())
        input->closeLayer(m_messageLayer);
    if (then)
        then();
    tellNext();
}

void CGameEngine::tellSaveFailure(Engine::eSavedFile file)
{
    // The message names what cannot be saved: the layout holds a text for each file.
    const wchar_t* text = L"ValuesText";
    switch (file)
    {
    case Engine::eSavedFile::settings:
        text = L"SettingsText";
        break;
    case Engine::eSavedFile::settingsUnread:
        // No write failed: the file was not read, and stays as it is.
        tell(cSystemMessage::SettingsLeftLayout, L"CGameEngine save failure told: SettingsLeft\n");
        return;
    case Engine::eSavedFile::profileList:
        text = L"ProfileListText";
        break;
    case Engine::eSavedFile::values:
        break;
    case Engine::eSavedFile::bestTimes:
        text = L"BestTimesText";
        break;
    case Engine::eSavedFile::unfinishedLevel:
        text = L"UnfinishedLevelText";
        break;
    }
    // Each file once: the trace names it by its text.
    tell(cSystemMessage::SaveFailedLayout,
         (L"CGameEngine save failure told: " + std::wstring(text) + L"\n").c_str(), {}, text);
}

void CGameEngine::tellWindowRefused()
{
    // As the options panel shows it.
    tell(cSystemMessage::Layout, L"CGameEngine window refused\n");
}

void CGameEngine::Run()
{
    if (Engine::cLogic* logic = Engine::cLogic::instance())
        logic->setFrameCallback([this] { Update(); });
    if (m_application)
        m_application->run();
    m_running = false;
}

void CGameEngine::Cleanup()
{
    // What fails to be written from now on is only logged: no screen is left to tell it on.
    Engine::setSaveFailureListener({});
    while (!m_states.empty())
    {
        CGameState* top = m_states.back();
        cleanUp(*top);
        m_states.pop_back();
    }
    if (Engine::cLogic* logic = Engine::cLogic::instance())
        logic->setFrameCallback({});
    m_waitingMessages.clear();
    m_openTold = {};
    if (m_openMessage)
    {
        Engine::cControl::deleteLater(m_openMessage);
        m_openMessage = nullptr;
        if (Engine::cInput* input = Engine::cInput::instance())
            input->closeLayer(m_messageLayer);
    }
    runShutdowns();
    delete m_application;
    m_application = nullptr;
}

void CGameEngine::runShutdowns()
{
    ManagerShutdowns::runAll();
    // What the states and the managers released is deleted while the tree still exists.
    Engine::cControl::deletePending();
    // The loaded effect files belong to the render device's particle library.
    Engine::cPyro::clearEffectFiles();
}

void CGameEngine::ChangeState(CGameState* state)
{
    if (!m_states.empty())
    {
        CGameState* top = m_states.back();
        cleanUp(*top);
        m_states.pop_back();
    }
    if (Engine::cProfileManager* profiles = Engine::cProfileManager::instance())
        profiles->save();
    m_states.push_back(state);
    state->Init();
}

void CGameEngine::PushState(CGameState* state)
{
    if (!m_states.empty())
        m_states.back()->Pause();
    m_states.push_back(state);
    state->Init();
}

void CGameEngine::PopState()
{
    if (!m_states.empty())
    {
        CGameState* top = m_states.back();
        cleanUp(*top);
        m_states.pop_back();
    }
    if (!m_states.empty())
        m_states.back()->Resume();
}

void CGameEngine::Update()
{
    if (!m_states.empty())
        m_states.back()->Update(this);
    if (m_quietFrames < 0)
        return;
    // A fade (a panel or a screen coming or going) starts the count again. Only the frames that
    // are drawn count: the frame runs several times for each one drawn, and the line would
    // otherwise come before the screen shows what the line before it told of.
    const Engine::cTimer* timer = Engine::cTimer::instance();
    if (Engine::cControl::isFading())
        m_quietFrames = 0;
    else if ((!timer || timer->isDrawDue()) && ++m_quietFrames >= kSettleFrames)
    {
        trace(L"Screen settled\n");
        m_quietFrames = -1;
    }
}

void CGameEngine::Quit()
{
    if (Engine::cLogic* logic = Engine::cLogic::instance())
        logic->quit();
    m_running = false;
}

CGameEngine& CGameEngine::setNewLevelIndex(const int& level)
{
    m_newLevelIndex = level;
    return *this;
}

CGameEngine& CGameEngine::setContinueSavedLevel(const bool& on)
{
    m_continueSavedLevel = on;
    return *this;
}

CGameEngine& CGameEngine::setEnteredFromMainMenu(const bool& on)
{
    m_enteredFromMainMenu = on;
    return *this;
}

std::wstring& CGameEngine::levelPath()
{
    return LevelLocation::selectedPathSlot();
}

const std::wstring& CGameEngine::getLevelPath() const
{
    return LevelLocation::selectedPath();
}

CGameEngine& CGameEngine::setLevelPath(const std::wstring& path)
{
    LevelLocation::setSelectedPath(path);
    return *this;
}

void CGameEngine::atShutdown(const boost::function<void()>& shutdown)
{
    ManagerShutdowns::add(shutdown);
}

void CGameEngine::trace(const wchar_t* line)
{
    // The engine is made on first use, as every other call makes it: it listens from then on.
    instance();
    GameTrace::write(line);
}

void CGameEngine::setTraceSink(const TraceSink& sink)
{
    GameTrace::setSink(sink);
}
