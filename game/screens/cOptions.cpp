#include "game/screens/cOptions.h"

#include "engine/core/cProfileManager.h"
#include "engine/core/cProps.h"
#include "engine/core/cSettings.h"
#include "engine/devices/cRender.h"
#include "engine/devices/cSound.h"
#include "engine/ui/LayoutKeys.h"
#include "engine/ui/cCheckButton.h"
#include "engine/ui/cProgressFloat.h"
#include "engine/ui/cScrollBox.h"
#include "engine/ui/cTextLine.h"
#include "engine/ui/cTextStyleButton.h"
#include "game/screens/cSystemMessage.h"

namespace
{

const wchar_t* const GraphicsGroup = L"graphics";
const wchar_t* const FullScreenKey = L"fullscreen";

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

    const Engine::cSound* sound = workingSound();
    if (!sound)
    {
        m_musicVolume->disable();
        m_soundVolume->disable();
    }
    // Without a sound device the volumes read 0: the greyed sliders stand at their start.
    const float music = sound ? static_cast<float>(sound->getMusicVolume()) : 0.0f;
    const float effects = sound ? static_cast<float>(sound->getSoundVolume()) : 0.0f;
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
    const Engine::cSound* sound = Engine::cSound::instance();
    Engine::cProps::set<bool>(L"SaveSettings", true);
    Engine::cProps::set<int>(L"MusicVolume", sound ? static_cast<int>(sound->getMusicVolume()) : 0);
    Engine::cProps::set<int>(L"SoundVolume", sound ? static_cast<int>(sound->getSoundVolume()) : 0);
    profiles->save();
}

void cOptions::loadXML(const Engine::tPropertiesPtr& node)
{
    Engine::cComposite::loadXML(Engine::cProperties::getChildRequired(node, L"StyleCommon", L"Style"));
    Engine::loadChildPart(*m_soundVolume, node, L"SoundVolume");
    Engine::loadChildPart(*m_musicVolume, node, L"MusicVolume");
    Engine::loadChildPart(*m_soundFloat, node, L"SoundFloat");
    Engine::loadChildPart(*m_musicFloat, node, L"MusicFloat");
    Engine::loadChildPart(*m_fullScreen, node, L"FullScreen");
    Engine::loadChildPart(*m_fullScreenText, node, L"FullScreenText");
    Engine::loadChildPart(*m_musicText, node, L"MusicText");
    Engine::loadChildPart(*m_soundText, node, L"SoundText");
    Engine::loadChildPart(*m_captionText, node, L"CaptionText");
    Engine::loadChildPart(*m_ok, node, L"OkButton");
}

void cOptions::syncFullScreen()
{
    m_fullScreen->setChecked(fullScreenSetting());
}

void cOptions::update()
{
    syncFullScreen();
    if (!windowFitsScreen())
        setFullScreenSetting(true);
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
    auto* message = new cSystemMessage(nullptr);
    disable();
    message->show();
    message->enable();
    m_messageClosed = message->closedSignal.connect([this](cSystemMessage*) { onMessageClosed(); });
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
