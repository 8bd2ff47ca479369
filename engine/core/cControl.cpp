#include "engine/core/cControl.h"

#include "engine/core/FromString.h"
#include "engine/core/cProperties.h"
#include "engine/core/cTimer.h"
#include "platform/system/SystemInfo.h"

#include <vector>

namespace Engine
{

cControl::tTree& cControl::tree()
{
    static tTree registries;
    return registries;
}

// ---------------------------------------------------------------------------------------------
// Registries with deferred changes

void cControl::registerEnabled(cControl* object)
{
    tree().enabled.add(object);
}
void cControl::unregisterEnabled(cControl* object)
{
    tree().enabled.remove(object);
}
void cControl::registerActive(cControl* object)
{
    tree().active.add(object);
}
void cControl::unregisterActive(cControl* object)
{
    tree().active.remove(object);
}
void cControl::beginEnabledPass()
{
    tree().enabled.beginWalk();
}
void cControl::endEnabledPass()
{
    tree().enabled.endWalk();
}
void cControl::beginActivePass()
{
    tree().active.beginWalk();
}
void cControl::endActivePass()
{
    tree().active.endWalk();
}

bool cControl::isEnabledRegistered(const cControl* object)
{
    return tree().enabled.contains(const_cast<cControl*>(object));
}

bool cControl::isActiveRegistered(const cControl* object)
{
    return tree().active.contains(const_cast<cControl*>(object));
}

std::size_t cControl::enabledCount()
{
    return tree().enabled.size();
}
std::size_t cControl::activeCount()
{
    return tree().active.size();
}

void cControl::activePass()
{
    tree().active.walk([](cControl* object) { object->updateActive(); });
}
void cControl::enabledPass()
{
    tree().enabled.walk([](cControl* object) { object->update(); });
}

bool cControl::isAlive(const cControl* object)
{
    return tree().live.count(const_cast<cControl*>(object)) != 0;
}

std::size_t cControl::liveCount()
{
    return tree().live.size();
}

// ---------------------------------------------------------------------------------------------
// Construction and destruction

cControl::cControl(cControl* parent) : m_parent(parent)
{
    tree().live.insert(this);
    if (parent)
    {
        parent->addChild(this);
        m_parentEnabled = parent->m_enabled && parent->m_parentEnabled;
        m_parentVisible = parent->m_visible && parent->m_parentVisible;
        m_parentActive = parent->m_active && parent->m_parentActive;
    }
}

cControl::cControl(const cControl& other)
    : m_tranparencySpeed(other.m_tranparencySpeed), m_visible(other.m_visible), m_enabled(other.m_enabled),
      m_active(other.m_active), m_inputLocked(other.m_inputLocked)
{
    tree().live.insert(this);
    // A copy is a root, so it is shown when its own flag says so; it joins the enabled
    // registry only when it is shown, as every other object does.
    if (m_enabled && m_visible)
    {
        registerEnabled(this);
        enabledSignal(this);
    }
    if (m_active)
        registerActive(this);
}

cControl::~cControl()
{
    tTree& registries = tree();
    registries.fades.erase(this);
    // Each child is taken out of the set before it is deleted, so the walk never meets a
    // freed child, whatever a subclass's removeChild does.
    while (!m_children.empty())
    {
        cControl* child = *m_children.begin();
        m_children.erase(m_children.begin());
        child->m_parent = nullptr;
        delete child;
    }
    if (m_parent)
        m_parent->removeChild(this);
    unregisterEnabled(this);
    unregisterActive(this);
    registries.live.erase(this);
    registries.deletionQueue.erase(this);
    registries.deleting.erase(this);
}

// ---------------------------------------------------------------------------------------------
// Tree

void cControl::addChild(cControl* child)
{
    m_children.insert(child);
}

void cControl::removeChild(cControl* child)
{
    m_children.erase(child);
}

void cControl::forEachChild(void (cControl::*op)())
{
    if (m_children.empty())
        return;
    // A handler run by `op` may move children between parents; a snapshot keeps the walk
    // valid, and a child that left the set meanwhile is skipped.
    std::vector<cControl*> snapshot(m_children.begin(), m_children.end());
    for (cControl* child : snapshot)
        if (m_children.count(child))
            (child->*op)();
}

void cControl::setParent(cControl* newParent)
{
    if (newParent == m_parent)
        return;
    if (m_parent)
        m_parent->removeChild(this);
    m_parent = newParent;
    if (!newParent)
    {
        gainParentVisible();
        return;
    }
    newParent->addChild(this);
    const bool parentShown = newParent->m_visible && newParent->m_parentVisible;
    if (m_parentVisible != parentShown)
    {
        if (parentShown)
            gainParentVisible();
        else
            loseParentVisible();
    }
    const bool parentEnabled = newParent->m_enabled && newParent->m_parentEnabled;
    if (m_parentEnabled != parentEnabled)
    {
        if (parentEnabled)
            gainParentEnabled();
        else
            loseParentEnabled();
    }
}

// ---------------------------------------------------------------------------------------------
// The six paired states

void cControl::show()
{
    if (!isAlive(this))
        return;
    const bool wasShown = isShown();
    m_visible = true;
    setTransparencyNotify(1.0f);
    if (m_parentVisible)
    {
        onShow();
        if (!wasShown)
            shownSignal(this);
    }
}

void cControl::hide()
{
    if (!isAlive(this))
        return;
    const bool wasShown = isShown();
    m_visible = false;
    setTransparencyNotify(0.0f);
    onHide();
    // onHide has passed the loss down already; this second step repeats it for subclasses
    // whose onHide does not call the base.
    forEachChild(&cControl::loseParentVisible);
    if (wasShown)
        hiddenSignal(this);
}

void cControl::enable()
{
    if (!isAlive(this) || m_enabled)
        return;
    m_enabled = true;
    if (m_parentEnabled && m_visible && m_parentVisible)
    {
        forEachChild(&cControl::gainParentEnabled);
        onEnable();
    }
}

void cControl::disable()
{
    if (!isAlive(this) || !m_enabled)
        return;
    m_enabled = false;
    forEachChild(&cControl::loseParentEnabled);
    onDisable();
}

void cControl::activate()
{
    if (!isAlive(this) || m_active)
        return;
    m_active = true;
    if (m_parentActive)
    {
        forEachChild(&cControl::gainParentActive);
        onActivate();
    }
}

void cControl::deactivate()
{
    if (!isAlive(this) || !m_active)
        return;
    m_active = false;
    forEachChild(&cControl::loseParentActive);
    onDeactivate();
}

void cControl::setTransparencyNotify(float value)
{
    if (m_transparency == value)
        return;
    m_transparency = value;
    onTransparencyChanged();
}

// ---------------------------------------------------------------------------------------------
// Subtree steps

void cControl::gainParentVisible()
{
    m_parentVisible = true;
    if (!m_visible)
        return;
    if (m_enabled && m_parentEnabled)
        onEnable();
    forEachChild(&cControl::gainParentVisible);
    onShow();
}

void cControl::loseParentVisible()
{
    m_parentVisible = false;
    forEachChild(&cControl::loseParentVisible);
    onHide();
}

void cControl::gainParentEnabled()
{
    m_parentEnabled = true;
    if (m_enabled && m_visible && m_parentVisible)
    {
        forEachChild(&cControl::gainParentEnabled);
        onEnable();
    }
}

void cControl::loseParentEnabled()
{
    m_parentEnabled = false;
    forEachChild(&cControl::loseParentEnabled);
    onDisable();
}

void cControl::gainParentActive()
{
    m_parentActive = true;
    if (m_active)
    {
        forEachChild(&cControl::gainParentActive);
        onActivate();
    }
}

void cControl::loseParentActive()
{
    m_parentActive = false;
    forEachChild(&cControl::loseParentActive);
    onDeactivate();
}

// ---------------------------------------------------------------------------------------------
// Hooks

void cControl::onShow()
{
    if (m_enabled && m_parentEnabled)
    {
        onEnable();
        forEachChild(&cControl::gainParentEnabled);
    }
    forEachChild(&cControl::gainParentVisible);
    m_fadeState = FadeNone;
}

void cControl::onHide()
{
    if (m_enabled && m_parentEnabled)
    {
        onDisable();
        forEachChild(&cControl::loseParentEnabled);
    }
    forEachChild(&cControl::loseParentVisible);
    m_fadeState = FadeNone;
}

void cControl::onTransparencyChanged()
{
    forEachChild(&cControl::onTransparencyChanged);
}

void cControl::onEnable()
{
    registerEnabled(this);
    enabledSignal(this);
}

void cControl::onDisable()
{
    unregisterEnabled(this);
    disabledSignal(this);
}

void cControl::onActivate()
{
    registerActive(this);
}

void cControl::onDeactivate()
{
    unregisterActive(this);
}

void cControl::lockInput()
{
    forEachChild(&cControl::lockInput);
    m_inputLocked = true;
}

void cControl::unlockInput()
{
    forEachChild(&cControl::unlockInput);
    m_inputLocked = false;
}

// ---------------------------------------------------------------------------------------------
// Layout keys

void cControl::loadXML(const boost::shared_ptr<cProperties>& node)
{
    bool visible = false;
    bool enabled = false;
    bool absoluteEnable = false;
    if (node)
    {
        fromString(visible, node->getAttribute(L"Visible"));
        fromString(enabled, node->getAttribute(L"Enable"));
        fromString(m_tranparencySpeed, node->getAttribute(L"TranparencySpeed"));
        fromString(absoluteEnable, node->getAttribute(L"AbsoluteEnable"));
    }
    if (visible)
        show();
    else
        hide();
    if (enabled)
        enable();
    else
        disable();
    if (absoluteEnable)
        activate();
}

// ---------------------------------------------------------------------------------------------
// Fades

namespace
{

void traceParentedFade(const char* operation)
{
    // The fade set stays non-empty while this object keeps its parent, and the whole tree's
    // passes stop meanwhile: worth a line in the trace.
    Platform::debugTrace(std::string("cControl::") + operation +
                         "(): an object with a parent does not fade; the frame's passes wait "
                         "until it loses its parent\n");
}

} // namespace

void cControl::fadeIn()
{
    if (m_parent)
        traceParentedFade("fadeIn");
    const bool wasShown = isShown();
    m_visible = true;
    if (m_parentVisible)
    {
        onShow();
        if (!wasShown)
            shownSignal(this);
    }
    tree().fades.insert(this);
    m_fadeState = FadeIn;
}

void cControl::fadeOut()
{
    if (m_parent)
        traceParentedFade("fadeOut");
    tree().fades.insert(this);
    m_fadeState = FadeOut;
    if (m_enabled)
    {
        onDisable();
        forEachChild(&cControl::loseParentEnabled);
    }
}

void cControl::fadeOutAndDestroy()
{
    if (m_parent)
        traceParentedFade("fadeOutAndDestroy");
    tree().fades.insert(this);
    m_fadeState = FadeOutAndDestroy;
    if (m_enabled)
        disable();
    if (m_active)
        deactivate();
}

void cControl::stepFade()
{
    if (m_parent)
        return;
    const cTimer* timer = cTimer::instance();
    const float step = (timer ? timer->getFrameTime() : 0.0f) * m_tranparencySpeed;
    switch (m_fadeState)
    {
    case FadeIn:
        m_transparency += step;
        if (m_transparency >= 1.0f)
            m_fadeState = FadeNone;
        break;
    case FadeOut:
        m_transparency -= step;
        if (m_transparency <= 0.0f)
        {
            hide();
            m_fadeState = FadeNone;
        }
        break;
    case FadeOutAndDestroy:
        m_transparency -= step;
        if (m_transparency <= 0.0f)
        {
            m_fadeState = FadeNone;
            hide();
            deleteLater(this);
        }
        break;
    default:
        break;
    }
    onTransparencyChanged();
}

void cControl::fadePass()
{
    tTree& registries = tree();
    if (registries.fades.empty())
        return;
    // Handlers run by a step may start or end other fades; the walk goes over a snapshot.
    const std::vector<cControl*> snapshot(registries.fades.begin(), registries.fades.end());
    std::vector<cControl*> ended;
    for (cControl* object : snapshot)
    {
        if (registries.fades.count(object) == 0)
            continue;
        object->stepFade();
        if (registries.fades.count(object) && object->m_fadeState == FadeNone)
            ended.push_back(object);
    }
    for (cControl* object : ended)
        if (registries.fades.count(object) && object->m_fadeState == FadeNone)
            registries.fades.erase(object);
}

bool cControl::isFading()
{
    return !tree().fades.empty();
}

bool cControl::isInFadeSet(const cControl* object)
{
    return tree().fades.count(const_cast<cControl*>(object)) != 0;
}

// ---------------------------------------------------------------------------------------------
// Deferred deletion

void cControl::deleteLater(cControl* object)
{
    // A pointer to an object that is gone already must never reach the queue.
    if (object && isAlive(object))
        tree().deletionQueue.insert(object);
}

void cControl::deleteLater(cControl* object, const std::string&)
{
    deleteLater(object);
}

void cControl::deleteLater(cControl* object, const std::wstring&)
{
    deleteLater(object);
}

bool cControl::isQueuedForDeletion(const cControl* object)
{
    return tree().deletionQueue.count(const_cast<cControl*>(object)) != 0;
}

void cControl::deletePending()
{
    tTree& registries = tree();
    if (registries.deletionQueue.empty())
        return;
    const bool oldFlag = registries.removalFlag;
    registries.removalFlag = true;
    // A destructor or a detach handler may queue more objects; they go in the same call.
    while (!registries.deletionQueue.empty())
    {
        // Detaching first keeps a parent from deleting a queued child a second time.
        const std::vector<cControl*> queued(registries.deletionQueue.begin(), registries.deletionQueue.end());
        for (cControl* object : queued)
        {
            if (registries.deletionQueue.count(object) == 0)
                continue;
            object->setParent(nullptr);
            registries.deleting.insert(object);
        }
        // Every destructor erases its object from both sets, also an object deleted by
        // another one's destructor.
        while (!registries.deleting.empty())
        {
            cControl* object = *registries.deleting.begin();
            registries.deleting.erase(registries.deleting.begin());
            delete object;
        }
    }
    registries.removalFlag = oldFlag;
}

bool cControl::getRemovalFlag()
{
    return tree().removalFlag;
}

void cControl::setRemovalFlag(bool value)
{
    tree().removalFlag = value;
}

void deleteLater(cControl* object)
{
    cControl::deleteLater(object);
}

} // namespace Engine
