#include "game/screens/cLoadScreen.h"

#include "engine/core/StringUtils.h"
#include "engine/core/cFileSystem.h"
#include "engine/core/cTimer.h"
#include "engine/devices/cResourceManager.h"
#include "engine/devices/cTexture.h"
#include "engine/ui/cProgressFloat.h"
#include "engine/ui/cView.h"
#include "game/screens/CGameEngine.h"
#include "game/screens/CPlayState.h"
#include "game/world/Game.h"

#include <algorithm>
#include <vector>

namespace
{

// The bar's full length, read from the first loading screen that reaches its second phase and
// kept for every later one.
float& progressMaximum()
{
    static float maximum = -1.0f;
    return maximum;
}

// The layout and the pictures of the last loading screen, held until the game shuts down. Every
// level start shows them again, and the play state lets go of every resource nobody holds just
// before it makes the screen: read, decoded and uploaded again each time, the full-screen picture
// alone took some 50 ms of processor time per level start.
struct tKeptResources
{
    Engine::tPropertiesPtr layout;
    std::vector<boost::shared_ptr<Engine::cTexture>> pictures;
};

tKeptResources& keptResources()
{
    static tKeptResources kept;
    static bool registered = false;
    if (!registered)
    {
        registered = true;
        CGameEngine::instance().atShutdown(
            []
            {
                registered = false;
                keptResources() = tKeptResources();
            });
    }
    return kept;
}

void collectPictures(const Engine::cControl& control,
                     std::vector<boost::shared_ptr<Engine::cTexture>>& pictures)
{
    for (const Engine::cControl* child : control.getChildren())
    {
        if (const auto* view = dynamic_cast<const Engine::cView*>(child))
            if (const boost::shared_ptr<Engine::cTexture> texture = view->getTexture())
                pictures.push_back(texture);
        collectPictures(*child, pictures);
    }
}

// The frame of this turn of the loop is drawn, whatever the drawing pace says.
void drawThisFrame()
{
    if (Engine::cTimer* timer = Engine::cTimer::instance())
        timer->exchangeDrawDue(true);
}

} // namespace

cLoadScreen::cLoadScreen(const std::string& logName, const Callback& onLoaded, uint32_t entriesPerFrame,
                         int32_t)
    : Engine::cDialog(nullptr), m_logName(logName), m_onLoaded(onLoaded),
      m_startLevel([] { CPlayState::instance().startLevel(); }), m_entriesPerFrame(entriesPerFrame),
      m_progress(new Engine::cProgressFloat(this))
{
    Engine::cResourceManager* resources = Engine::cResourceManager::instance();
    if (!resources)
        throw "cLoadScreen: the loading screen is read through the resource manager, which does not exist.";
    const Engine::tPropertiesPtr layout = resources->getXml("UI/Load.xml", true);
    loadXML(layout);
    tKeptResources kept;
    kept.layout = layout;
    collectPictures(*this, kept.pictures);
    keptResources() = std::move(kept);
    const Engine::cFileSystem* files = Engine::cFileSystem::instance();
    if (files && files->isKnown(m_logName))
    {
        m_log = resources->getXml(m_logName, true);
        m_entryCount = m_log ? m_log->getChildCount() : 0;
    }
}

cLoadScreen::~cLoadScreen() = default;

void cLoadScreen::loadXML(const Engine::tPropertiesPtr& node)
{
    Engine::cDialog::loadXML(node);
    Engine::loadChildXML(m_progress, node, L"Progress", nullptr);
    m_progress->hide();
}

void cLoadScreen::update()
{
    if (m_done)
        return;
    if (m_starting)
    {
        // The screen is drawn in its first frame: the waiting frames pass faster than the
        // drawing pace, and the level's start blocks the loop once they have passed.
        if (++m_frameCounter == 1)
            drawThisFrame();
        if (m_frameCounter < WaitFrames)
            return;
        m_starting = false;
        if (m_startLevel)
            m_startLevel();
        m_progress->show();
        return;
    }
    preloadBatch();
}

void cLoadScreen::preloadBatch()
{
    float& maximum = progressMaximum();
    if (maximum < 0.0f)
        maximum = m_progress->getMaxValue();
    const uint32_t end = std::min(m_nextEntry + m_entriesPerFrame, m_entryCount);
    const Game* game = Game::instance();
    Engine::cResourceManager* resources = Engine::cResourceManager::instance();
    for (uint32_t i = m_nextEntry; i < end; ++i)
    {
        Engine::tPropertiesPtr entry;
        if (!m_log->getChildAt(i, entry))
            continue;
        const std::string path = Engine::toUtf8(entry->getAttribute(L"Path"));
        if (path.empty() || !game || !game->mentionsLevelUnitType(path) || !resources)
            continue;
        resources->loadByExtension(path);
        m_preloaded.push_back(path);
    }
    // An empty log has nothing to count: the bar shows it full.
    m_progress->setCurrentValue(m_entryCount ? static_cast<float>(m_nextEntry) * maximum /
                                                   static_cast<float>(m_entryCount)
                                             : maximum);
    m_nextEntry = end;
    if (m_nextEntry < m_entryCount)
        return;
    m_done = true;
    if (m_onLoaded)
        m_onLoaded();
    hide();
    // The level is shown in this very frame.
    drawThisFrame();
    Engine::cControl::deleteLater(this);
}
