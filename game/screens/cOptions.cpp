#include "game/screens/cOptions.h"

#include "engine/core/cProfileManager.h"
#include "engine/core/cProps.h"
#include "engine/core/cSettings.h"
#include "engine/devices/cRender.h"
#include "engine/devices/cSound.h"
#include "engine/ui/LayoutKeys.h"
#include "engine/ui/RequiredControl.h"
#include "engine/ui/cCheckButton.h"
#include "engine/ui/cProgressFloat.h"
#include "engine/ui/cScrollBox.h"
#include "engine/ui/cTextLine.h"
#include "engine/ui/cTextStyleButton.h"
#include "game/screens/CGameEngine.h"
#include "game/screens/cSystemMessage.h"

#include <algorithm>
#include <memory>
#include <string>

namespace
{

const wchar_t* const GraphicsGroup = L"graphics";
const wchar_t* const FullScreenKey = L"fullscreen";
// The volumes of a player who never set them, as the main menu applies them.
constexpr unsigned DefaultVolume = 50;

// The sound device, while it plays.
Engine::cSound* workingSound()
{
    Engine::cSound* sound = Engine::cSound::instance();
    return sound && !sound->isDisabled() ? sound : nullptr;
}

unsigned volumeOf(float value)
{
    return value > 0.0f ? static_cast<unsigned>(value) : 0u;
}

// The volume the panel shows: the sound object's (which keeps the player's volumes also when no
// device plays them); without a sound object the one stored in the player's profile, or the
// menu's default.
unsigned shownVolume(const wchar_t* key)
{
    if (const Engine::cSound* sound = Engine::cSound::instance())
        return std::wstring(key) == L"MusicVolume" ? sound->getMusicVolume() : sound->getSoundVolume();
    bool saved = false;
    int stored = 0;
    if (Engine::cProfileManager::instance() && Engine::cProps::getIfPresent<bool>(L"SaveSettings", saved) &&
        saved && Engine::cProps::getIfPresent<int>(key, stored))
        return static_cast<unsigned>(std::clamp(stored, 0, 100));
    return DefaultVolume;
}

bool fullScreenSetting()
{
    bool on = false;
    if (Engine::cSettings* settings = Engine::cSettings::instance())
        settings->get(GraphicsGroup, FullScreenKey, on);
    return on;
}

void setFullScreenSetting(bool on)
{
    if (Engine::cSettings* settings = Engine::cSettings::instance())
        settings->set(GraphicsGroup, FullScreenKey, on);
}

void requestVideoMode()
{
    if (Engine::cRender* render = Engine::cRender::instance())
        render->setResetPending(true);
}

bool windowFitsScreen()
{
    Engine::cRender* render = Engine::cRender::instance();
    return !render || render->fitsWorkArea();
}

} // namespace

cOptions::cOptions(Engine::cControl* parent)
    : Engine::cComposite(parent), m_soundVolume(new Engine::cScrollBox(this)),
      m_musicVolume(new Engine::cScrollBox(this)), m_soundFloat(new Engine::cProgressFloat(this)),
      m_musicFloat(new Engine::cProgressFloat(this)), m_fullScreen(new Engine::cCheckButton(this)),
      m_fullScreenText(new Engine::cTextLine(this)), m_musicText(new Engine::cTextLine(this)),
      m_soundText(new Engine::cTextLine(this)), m_captionText(new Engine::cTextLine(this)),
      m_ok(new Engine::cTextStyleButton(this))
{
    m_soundVolume->valueSignal.connect([this](float value) { onSoundSlider(value); });
    m_musicVolume->valueSignal.connect([this](float value) { onMusicSlider(value); });
    m_fullScreen->checkedSignal.connect([this](bool on) { onFullScreen(on); });
    m_ok->connectClickAction([this] { onOk(); });
    Engine::loadLayout(*this, Layout);

    if (!workingSound())
    {
        // Greyed: the green fill goes, the knobs still stand at the volumes the player set.
        m_musicVolume->disable();
        m_soundVolume->disable();
        m_musicFloat->hide();
        m_soundFloat->hide();
    }
    const float music = static_cast<float>(shownVolume(L"MusicVolume"));
    const float effects = static_cast<float>(shownVolume(L"SoundVolume"));
    m_musicVolume->setValue(music);
    m_musicVolume->updateThumb();
    m_soundVolume->setValue(effects);
    m_soundVolume->updateThumb();
    m_musicFloat->setCurrentValue(music);
    m_soundFloat->setCurrentValue(effects);
    syncFullScreen();
}

cOptions::~cOptions()
{
    // Going away is not closing: whoever waits for the hide is not told.
    hiddenSignal.disconnect_all_slots();
    disable();
    hide();
    Engine::cProfileManager* profiles = Engine::cProfileManager::instance();
    if (!profiles)
        return;
    // Without a sound object the sliders could not move: what the player stored stays.
    const Engine::cSound* sound = Engine::cSound::instance();
    if (!sound)
        return;
    Engine::cProps::set<bool>(L"SaveSettings", true);
    Engine::cProps::set<int>(L"MusicVolume", static_cast<int>(sound->getMusicVolume()));
    Engine::cProps::set<int>(L"SoundVolume", static_cast<int>(sound->getSoundVolume()));
    profiles->save();
}

void cOptions::loadXML(const Engine::tPropertiesPtr& node)
{
    Engine::cComposite::loadXML(Engine::cProperties::getChildRequired(node, L"StyleCommon", L"Style"));
    Engine::loadRequiredPart(*m_soundVolume, node, L"SoundVolume");
    Engine::loadRequiredPart(*m_musicVolume, node, L"MusicVolume");
    Engine::loadChildPart(*m_soundFloat, node, L"SoundFloat");
    Engine::loadChildPart(*m_musicFloat, node, L"MusicFloat");
    Engine::loadRequiredPart(*m_fullScreen, node, L"FullScreen");
    Engine::loadChildPart(*m_fullScreenText, node, L"FullScreenText");
    Engine::loadChildPart(*m_musicText, node, L"MusicText");
    Engine::loadChildPart(*m_soundText, node, L"SoundText");
    Engine::loadChildPart(*m_captionText, node, L"CaptionText");
    Engine::loadRequiredPart(*m_ok, node, L"OkButton");
}

void cOptions::syncFullScreen()
{
    const bool on = fullScreenSetting();
    if (!m_synced || m_fullScreen->getChecked() != on)
        CGameEngine::trace(on ? L"Options full screen ticked\n" : L"Options full screen not ticked\n");
    m_synced = true;
    m_fullScreen->setChecked(on);
}

void cOptions::update()
{
    syncFullScreen();
    // A window that does not fit is no choice: the screen is made to show full screen too.
    if (!windowFitsScreen() && !fullScreenSetting())
    {
        setFullScreenSetting(true);
        requestVideoMode();
    }
    Engine::cComposite::update();
}

void cOptions::onSoundSlider(float value)
{
    if (Engine::cSound* sound = workingSound())
        sound->setSoundVolume(volumeOf(value));
    m_soundFloat->setCurrentValue(value);
}

void cOptions::onMusicSlider(float value)
{
    if (Engine::cSound* sound = workingSound())
        sound->setMusicVolume(volumeOf(value));
    m_musicFloat->setCurrentValue(value);
}

void cOptions::onFullScreen(bool on)
{
    setFullScreenSetting(on);
    requestVideoMode();
    if (on || windowFitsScreen())
        return;
    // Told as Alt+Enter's refusal is: one message, however often it is asked for while it stands.
    // The panel waits for its OK disabled, unless the panel has gone by then.
    disable();
    CGameEngine::tell(cSystemMessage::Layout, L"Options window refused\n",
                      [this, alive = std::weak_ptr<const bool>(m_alive)]
                      {
                          if (!alive.expired())
                              onMessageClosed();
                      });
    setFullScreenSetting(true);
    requestVideoMode();
}

void cOptions::onOk()
{
    hide();
}

void cOptions::onMessageClosed()
{
    enable();
}
