#include "game/heroes/BaseActionsItem.h"

#include "game/heroes/ActionItemFactory.h"

#include <boost/bind/bind.hpp>

#include <string>

using namespace boost::placeholders;

namespace
{

const ActionItemRegistration registration(BaseActions, &createActionItem<BaseActionsItem>);

// A child record holds at least its type id and its two flag bytes.
constexpr size_t kMinChildRecord = 6;

} // namespace

BaseActionsItem::BaseActionsItem() : ActionItem(BaseActions) {}

BaseActionsItem::~BaseActionsItem()
{
    disconnectCurrent();
}

void BaseActionsItem::save(LevelArchive& archive, const UnitNumbering& numbering) const
{
    ActionItem::save(archive, numbering);
    archive.write4(static_cast<int32_t>(m_children.size()));
    for (const Ptr& child : m_children)
        child->save(archive, numbering);
}

void BaseActionsItem::load(LevelArchive& archive, const Units& units)
{
    ActionItem::load(archive, units);
    const int count = archive.readCount(kMinChildRecord);
    for (int i = 0; i < count; ++i)
    {
        int32_t typeId = -1;
        archive.read4(typeId);
        const Ptr child = ActionItemFactory(typeId);
        if (!child)
            archive.fail("an action of unknown type " + std::to_string(typeId));
        child->load(archive, units);
        m_children.push_back(child);
    }
    if (!m_children.empty())
    {
        m_current = m_children.front();
        connectCurrent();
    }
}

void BaseActionsItem::start()
{
    startNext();
    ActionItem::start();
}

void BaseActionsItem::stop()
{
    if (const Ptr current = takeCurrent())
        current->stop();
    // Stopping a child may reach code that looks at this chain: empty the queue first.
    std::deque<Ptr> children;
    children.swap(m_children);
    for (const Ptr& child : children)
        child->stop();
    ActionItem::stop();
}

void BaseActionsItem::update()
{
    if (isDone())
        return;
    // The child may end this chain and drop itself from the queue during its step.
    if (const Ptr current = m_current)
        current->update();
}

void BaseActionsItem::complete()
{
    if (const Ptr current = takeCurrent())
        current->complete();
    dropRestAndComplete();
}

void BaseActionsItem::dropRestAndComplete()
{
    std::deque<Ptr> children;
    children.swap(m_children);
    for (const Ptr& child : children)
        child->stop();
    ActionItem::complete();
}

ActionItem::Ptr BaseActionsItem::takeCurrent()
{
    const Ptr current = m_current;
    if (!current)
        return current;
    disconnectCurrent();
    m_current.reset();
    // The running child heads the queue until it finishes.
    if (!m_children.empty() && m_children.front() == current)
        m_children.pop_front();
    return current;
}

void BaseActionsItem::add(const Ptr& child)
{
    m_children.push_back(child);
    childAdded(child);
}

void BaseActionsItem::startNext()
{
    if (m_current || m_children.empty())
        return;
    m_current = m_children.front();
    connectCurrent();
    const Ptr current = m_current;
    current->start();
    m_active = true;
}

void BaseActionsItem::onChildFinished(const Ptr& child)
{
    disconnectCurrent();
    if (m_current)
        m_current->stop();
    m_current.reset();
    if (!m_children.empty() && m_children.front() == child)
        m_children.pop_front();
    if (m_children.empty())
        notifyFinished();
    else
        startNext();
}

void BaseActionsItem::onChildCompleted(const Ptr&)
{
    // The child completed itself: it is not completed a second time.
    takeCurrent();
    dropRestAndComplete();
}

void BaseActionsItem::connectCurrent()
{
    m_finishedConnection =
        m_current->finished.connect(boost::bind(&BaseActionsItem::onChildFinished, this, _1));
    m_completedConnection =
        m_current->completed.connect(boost::bind(&BaseActionsItem::onChildCompleted, this, _1));
}

void BaseActionsItem::disconnectCurrent()
{
    m_finishedConnection.disconnect();
    m_completedConnection.disconnect();
}
