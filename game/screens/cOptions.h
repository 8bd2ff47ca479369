#pragma once

#include "engine/ui/cComposite.h"

#include <memory>

namespace Engine
{
class cCheckButton;
class cProgressFloat;
class cScrollBox;
class cTextLine;
class cTextStyleButton;
} // namespace Engine

// The options panel ("MainMenu/Options.xml"): sliders for the sound and the music volume with a
// bar beside each, a check box for full screen, four captions and OK.
//
// Volumes are whole percents, 0 to 100: a slider sets its volume on the sound device at once
// (its value cut to a whole number) and its bar shows the value as it is. The check box writes
// "graphics"/"fullscreen" to the settings and asks the render device to apply the window mode;
// a window that would not fit the screen is refused with a message and full screen kept (the
// engine's one system message of that refusal, CGameEngine::tell, which the panel waits for
// disabled). While the panel is enabled the check box follows the setting every frame. When the
// panel goes, the current player (if any) keeps "SaveSettings" true and both volumes
// ("MusicVolume", "SoundVolume"), and the profiles are written. Without a working sound device
// both sliders are disabled but show the volumes.
//
// The layout's required "StyleCommon" child is the panel's own look; the other children load
// the members of their names.
class cOptions : public Engine::cComposite
{
public:
    static constexpr const char* Layout = "MainMenu/Options.xml";

    explicit cOptions(Engine::cControl* parent);
    ~cOptions() override;

    // The check box from the settings; a window that does not fit forces full screen; then the
    // composite's step.
    void update() override;
    void loadXML(const Engine::tPropertiesPtr& node) override;

    void onSoundSlider(float value);
    void onMusicSlider(float value);
    void onFullScreen(bool on);
    void onOk();
    void onMessageClosed();
    // The check box shows the setting (without raising its signal). What it shows is traced
    // when the panel opens and whenever it changes.
    void syncFullScreen();

    Engine::cScrollBox* getSoundSlider() const { return m_soundVolume; }
    Engine::cScrollBox* getMusicSlider() const { return m_musicVolume; }
    Engine::cProgressFloat* getSoundBar() const { return m_soundFloat; }
    Engine::cProgressFloat* getMusicBar() const { return m_musicFloat; }
    Engine::cCheckButton* getFullScreen() const { return m_fullScreen; }
    Engine::cTextStyleButton* getOkButton() const { return m_ok; }

private:
    // Children of the panel (owned by the tree).
    Engine::cScrollBox* m_soundVolume;
    Engine::cScrollBox* m_musicVolume;
    Engine::cProgressFloat* m_soundFloat;
    Engine::cProgressFloat* m_musicFloat;
    Engine::cCheckButton* m_fullScreen;
    Engine::cTextLine* m_fullScreenText;
    Engine::cTextLine* m_musicText;
    Engine::cTextLine* m_soundText;
    Engine::cTextLine* m_captionText;
    Engine::cTextStyleButton* m_ok;
    // Expires with the panel: the full-screen message's OK then finds no panel to enable.
    const std::shared_ptr<const bool> m_alive = std::make_shared<const bool>(true);
    bool m_synced = false;
};
