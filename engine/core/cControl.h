#pragma once

#include "engine/core/cDeferredRegistry.h"
#include "engine/core/cLazySignal.h"

#include <boost/shared_ptr.hpp>
#include <boost/signals2/signal.hpp>

#include <set>
#include <string>
#include <unordered_set>
#include <vector>

namespace Engine
{

class cProperties;

// The root class of every object of the engine's tree: views, controls, dialogs and the
// managers that take part in the frame.
//
// Each object has a place in a parent/child tree (a parent owns and deletes its children) and
// three paired states that a child derives from its parent: visible, enabled and active. An
// object is "shown" while it and its whole parent chain are visible. It sits in the enabled
// registry while it is enabled, its parent chain is enabled and it is shown, and in the active
// registry while it and its parent chain are active; the frame walks both registries once per
// frame. Changes made while a registry is being walked go to pending sets that are applied
// when the walk ends, and objects are never deleted during a walk: `deleteLater` queues them
// and `deletePending` deletes them at the end of the frame.
class cControl
{
public:
    using tSignal = cLazySignal<void(cControl*)>;

    enum eFade
    {
        FadeNone = 0,
        FadeIn = 1,
        FadeOut = 2,
        FadeOutAndDestroy = 3,
    };

    tSignal enabledSignal;
    tSignal disabledSignal;
    tSignal shownSignal;
    tSignal hiddenSignal;

    explicit cControl(cControl* parent = nullptr);
    // Copies the source's own visible, enabled, active and input-locked flags into a new root
    // object; signals and children are not copied.
    cControl(const cControl& other);
    cControl& operator=(const cControl&) = delete;
    virtual ~cControl();

    virtual int getKind() const { return 0; }
    virtual void update() {}
    virtual void updateActive() {}
    virtual void lockInput();
    virtual void unlockInput();
    virtual bool isInputLocked() const { return m_inputLocked; }
    virtual void addChild(cControl* child);
    virtual void removeChild(cControl* child);
    // Reads "Visible", "Enable", "TranparencySpeed" and "AbsoluteEnable", then shows or hides,
    // enables or disables, and activates when "AbsoluteEnable" is set.
    virtual void loadXML(const boost::shared_ptr<cProperties>& node);
    // Overrides call the base, which keeps the registries right.
    virtual void onShow();
    virtual void onHide();
    virtual void onTransparencyChanged();
    virtual void onEnable();
    virtual void onDisable();
    virtual void onActivate();
    virtual void onDeactivate();

    // These six do nothing on an object that is no longer alive.
    void show();
    void hide();
    void enable();
    void disable();
    void activate();
    void deactivate();

    void setParent(cControl* newParent);
    cControl* getParent() const { return m_parent; }
    const std::set<cControl*>& getChildren() const { return m_children; }

    // Fades are meant for objects without a parent (dialogs): a fade on an object with a
    // parent does not advance, and while any fade runs the frame skips the registry passes.
    void fadeIn();
    void fadeOut();
    void fadeOutAndDestroy();
    // Advances the fade by the timer's frame time; called by the frame for every fading object.
    void stepFade();

    bool isVisible() const { return m_visible; }
    bool isParentVisible() const { return m_parentVisible; }
    bool isShown() const { return m_visible && m_parentVisible; }
    bool isEnabled() const { return m_enabled; }
    bool isParentEnabled() const { return m_parentEnabled; }
    bool isEffectivelyEnabled() const { return m_enabled && m_parentEnabled; }
    bool isActive() const { return m_active; }
    // Whether the object is a view of the user interface layer: the walks over a view's child
    // views ask this instead of casting every child.
    bool isView() const { return m_isView; }
    bool isParentActive() const { return m_parentActive; }

    float getTransparency() const { return m_transparency; }
    void setTransparency(float value) { m_transparency = value; }
    float getTranparencySpeed() const { return m_tranparencySpeed; }
    void setTranparencySpeed(float value) { m_tranparencySpeed = value; }
    int getFadeState() const { return m_fadeState; }

    // Calls `op` on every child, in the order of the set of children. A child that leaves the
    // set while the walk runs (moved to another parent by a handler) is skipped.
    void forEachChild(void (cControl::*op)());

    // Queues an object for deletion at the end of the frame; queuing it again changes nothing.
    // The name or reason is only for the caller's reading.
    static void deleteLater(cControl* object);
    static void deleteLater(cControl* object, const std::string& reason);
    static void deleteLater(cControl* object, const std::wstring& reason);
    // Detaches every queued object from its parent, then deletes it. Objects queued while
    // this runs are deleted in the same call.
    static void deletePending();
    static bool isQueuedForDeletion(const cControl* object);
    // Raised while deletePending deletes; the game's state machine raises it around a state's
    // clean-up too.
    static bool getRemovalFlag();
    static void setRemovalFlag(bool value);

    static bool isAlive(const cControl* object);
    static std::size_t liveCount();

    static void registerEnabled(cControl* object);
    static void unregisterEnabled(cControl* object);
    static void registerActive(cControl* object);
    static void unregisterActive(cControl* object);
    static void beginEnabledPass();
    static void endEnabledPass();
    static void beginActivePass();
    static void endActivePass();
    static bool isEnabledRegistered(const cControl* object);
    static bool isActiveRegistered(const cControl* object);
    static std::size_t enabledCount();
    static std::size_t activeCount();

    // The frame's three walks over the tree.
    // Calls updateActive of every object of the active registry.
    static void activePass();
    // Calls update of every object of the enabled registry.
    static void enabledPass();
    // Steps every running fade, then drops the fades that ended.
    static void fadePass();
    static bool isFading();
    static bool isInFadeSet(const cControl* object);

protected:
    // Set by the view class while the object is a view.
    void setIsView(bool view) { m_isView = view; }

    // The subtree steps: a parent passes its visible, enabled and active states down.
    void gainParentVisible();
    void loseParentVisible();
    void gainParentEnabled();
    void loseParentEnabled();
    void gainParentActive();
    void loseParentActive();

private:
    using tRegistry = std::set<cControl*>;
    using tDeferredRegistry = cDeferredRegistry<cControl*>;

    void setTransparencyNotify(float value);
    void setInputLockedTree(bool locked);

    // Every registry of the tree in one function-local static: the first object constructed
    // builds all of them, so they outlive every object, including function-local statics
    // derived from this class.
    struct tTree
    {
        // Asked for every show, hide, enable and activation: a hashed set, never walked.
        std::unordered_set<cControl*> live;
        tDeferredRegistry enabled;
        tDeferredRegistry active;
        tRegistry fades;
        tRegistry deletionQueue;
        tRegistry deleting;
        bool removalFlag = false;
    };
    static tTree& tree();

    float m_transparency = 0.0f;
    float m_tranparencySpeed = 3.3f;
    int m_fadeState = FadeNone;
    std::set<cControl*> m_children;
    cControl* m_parent = nullptr;
    bool m_visible = false;
    bool m_parentVisible = true;
    bool m_enabled = false;
    bool m_parentEnabled = true;
    bool m_active = false;
    bool m_parentActive = true;
    bool m_inputLocked = false;
    bool m_isView = false;
};

// Queues a tree object for deletion at the end of the frame; also the deleter of shared
// pointers that hold tree objects.
void deleteLater(cControl* object);

} // namespace Engine
