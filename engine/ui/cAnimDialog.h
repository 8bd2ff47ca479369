#pragma once

#include "engine/ui/cDialog.h"

#include <cstdint>

namespace Engine
{

// A dialog that fades in over "ShowTime" seconds and out over "HideTime" seconds by setting
// the alpha of every child view, and may destroy itself after fading out. A fade started while
// another runs goes on from the alpha that one reached. A time of 0 fades at once. The fade
// advances in the enabled pass, so the dialog is shown and enabled while it fades.
class cAnimDialog : public cDialog
{
public:
    enum eState : int32_t
    {
        FadingIn = 0,
        FadingOut = 1,
        FadingOutToDestroy = 2,
        Idle = 3,
    };

    explicit cAnimDialog(cControl* parent = nullptr);

    // Advances a running fade.
    void update() override;
    // The dialog's keys, then "ShowTime" and "HideTime".
    void loadXML(const tPropertiesPtr& node) override;
    // Hiding ends any fade.
    void onHide() override;

    // Shows the dialog and fades it in.
    virtual void showAnimated();
    virtual void hideAnimated();
    // Fades out, then disables the dialog and queues it for deletion.
    virtual void hideAnimatedAndDestroy();
    // Called when a fade-in ends; nothing here.
    virtual void onShown() {}
    // Called when a fade-out ends; hides the dialog.
    virtual void onHidden();

    int32_t getState() const { return m_state; }
    float getShowTime() const { return m_showTime; }
    float getHideTime() const { return m_hideTime; }
    void setTimes(float showTime, float hideTime);
    float getLevel() const { return m_level; }

private:
    // Fades out into `state`; from idle the fade takes `fromIdle` seconds.
    void startFadeOut(int32_t state, float fromIdle);
    // Sets the alpha of every child view.
    void setLevel(float level);

    int32_t m_state = Idle;
    float m_showTime = 1.0f;
    float m_hideTime = 1.0f;
    float m_timeLeft = 0.0f;
    float m_level = 0.0f;
};

} // namespace Engine
