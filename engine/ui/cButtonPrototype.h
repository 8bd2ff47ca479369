#pragma once

#include "engine/core/cLazySignal.h"
#include "engine/devices/cAlphaMask.h"
#include "engine/devices/eControl.h"
#include "engine/ui/cPicture.h"

#include <boost/function.hpp>
#include <boost/shared_ptr.hpp>
#include <boost/signals2/connection.hpp>
#include <boost/signals2/signal.hpp>

#include <cstdint>

namespace Engine
{

class cSoundSample;

// The base of every clickable view: a picture with four states (0 disabled, 1 normal, 2 hover,
// 3 pressed) driven by the primary mouse button's codes 520 (pressed) and 512 (released) and by
// the mouse movement, while the button is enabled.
//
// A press inside and a release inside raise `clickSignal`; a release outside only ends the
// press. Buttons flagged "IsDeepProcessing" compete for the pointer: during the input step each
// one under the pointer claims it unless a button with a greater or equal deep holds it, and
// the winner is hovered or pressed in the next enabled pass, so only the topmost of several
// overlapping buttons reacts. Buttons without the flag react at once.
//
// The look of a state is the kinds' business (`showState`); the prototype shows nothing.
class cButtonPrototype : public cPicture
{
public:
    enum eState : int32_t
    {
        StateNone = -1,
        StateDisabled = 0,
        StateNormal = 1,
        StateHover = 2,
        StatePressed = 3,
    };

    using tViewSignal = cLazySignal<void(cView*)>;

    // A press released over the button.
    tViewSignal clickSignal;
    // A press accepted.
    tViewSignal pressSignal;
    // The button became hovered; also just before `clickSignal`.
    tViewSignal highlightOnSignal;
    // The hover ended, or a press was accepted.
    tViewSignal highlightOffSignal;

    // The button that holds the pointer among the "IsDeepProcessing" buttons, and what it does
    // in its next update (0 nothing, 1 hover, 2 press). Shared by all buttons, main thread only.
    static cButtonPrototype* buttonUnderPointer;
    static int32_t pendingAction;

    explicit cButtonPrototype(cControl* parent = nullptr);
    // The picture, the state, the sounds, the mask and the flags of `other`; the signals and the
    // input connections start empty and the sounds are enabled.
    cButtonPrototype(const cButtonPrototype& other);
    ~cButtonPrototype() override;

    // Delivers the pending hover or press of the pointer's owner.
    void update() override;
    // The picture's keys, then "IsDeepProcessing", "SoundOnUnclick", "texture_mask" (an image
    // whose transparent pixels the button does not own) and "Sounds" with "Click" and "Hover".
    void loadXML(const tPropertiesPtr& node) override;
    // Connects the mouse and takes the pointer's state at once.
    void onEnable() override;
    // Lets go of the pointer and the mouse; state 0.
    void onDisable() override;

    // Shows the state when it differs from the current one, then stores it.
    virtual void setState(int32_t state);
    // The look of a state; nothing here.
    virtual void showState(int32_t state);
    virtual const bool& getSoundOnUnclick() const { return m_soundOnUnclick; }
    virtual void setSoundOnUnclick(const bool& on) { m_soundOnUnclick = on; }
    virtual const bool& getSoundsEnabled() const { return m_soundsEnabled; }
    virtual void setSoundsEnabled(const bool& on) { m_soundsEnabled = on; }
    virtual const bool& getIsDeepProcessing() const { return m_isDeepProcessing; }
    virtual void setIsDeepProcessing(const bool& on) { m_isDeepProcessing = on; }
    virtual const bool& getNormalLock() const { return m_normalLock; }
    // While set, the button keeps its normal look whatever state it passes through (hover,
    // press, disable); it still reacts as ever. Cleared, it shows its current state's look.
    virtual void setNormalLock(bool on);
    virtual const bool& getShowDisabled() const { return m_showDisabled; }
    // Keeps the disabled look while the button still hovers: press and click are refused.
    virtual void setShowDisabled(const bool& on);
    // The view's rectangle and, when the button has a mask, the mask's bit under the point.
    virtual bool containsPoint(const cVector2& point) const;
    // Whether the pointer (in virtual screen units) is over the button; false without a frame
    // driver to tell where the pointer is.
    bool pointerInside() const;
    // Lets go of the pointer when this button holds it: the button under the pointer takes it
    // at the next input step, as at a move of the pointer, before the next press.
    void letGoOfPointer();
    // The four steps of the state machine; nothing while the button's input is locked.
    virtual void onPress();
    virtual void onClick();
    virtual void onHover();
    virtual void onLeave();

    int32_t getState() const { return m_state; }
    bool hasMask() const { return m_hasMask; }
    const cAlphaMask& getMask() const { return m_mask; }
    const boost::shared_ptr<cSoundSample>& getClickSound() const { return m_clickSound; }
    const boost::shared_ptr<cSoundSample>& getHoverSound() const { return m_hoverSound; }

    boost::signals2::connection connectClick(const boost::function<void(cView*)>& slot);
    boost::signals2::connection connectClickAction(const boost::function<void()>& action);

protected:
    void onMouseDown();
    void onMouseUp();
    void onControl(eControl code, long value);
    // The state, the sounds, the mask and the flags of `other` (the button part of a look copy).
    void copyButtonFrom(const cButtonPrototype& other);
    // Shows the current state again. The loaders of the kinds call it last: the state may have
    // been set while the element was still being read (enabling connects the mouse and takes
    // the pointer's state), before the keys of the state's look were known.
    void refreshLook();
    // Shows the looks that override the state's: the normal lock's, then the disabled one.
    void showLocks();

private:
    void playSound(const boost::shared_ptr<cSoundSample>& sound) const;
    void disconnectInput();
    // Forgets the pointer and the action pending for it when this button holds it; whether it
    // held it.
    bool dropPointer();

    boost::signals2::scoped_connection m_pressConnection;
    boost::signals2::scoped_connection m_releaseConnection;
    boost::signals2::scoped_connection m_moveConnection;
    int32_t m_state = StateNone;
    boost::shared_ptr<cSoundSample> m_clickSound;
    boost::shared_ptr<cSoundSample> m_hoverSound;
    cAlphaMask m_mask;
    bool m_hasMask = false;
    bool m_soundsEnabled = true;
    bool m_soundOnUnclick = false;
    bool m_isDeepProcessing = false;
    bool m_showDisabled = false;
    bool m_normalLock = false;
};

} // namespace Engine
