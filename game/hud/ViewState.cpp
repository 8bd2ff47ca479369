#include "game/hud/ViewState.h"

#include "engine/core/ErrorText.h"
#include "engine/core/FromString.h"
#include "engine/core/StringUtils.h"
#include "engine/core/cProperties.h"
#include "engine/core/cString.h"
#include "engine/ui/cButton.h"
#include "game/hud/cUnitView.h"
#include "game/world/Game.h"

#include <boost/make_shared.hpp>

#include <cmath>
#include <cstdlib>

namespace
{

template <class T> T read(const ViewState::NodePtr& node, const wchar_t* key, T value)
{
    Engine::fromString(value, node->getAttribute(key));
    return value;
}

} // namespace

ViewState::ViewState(std::wstring stateName, std::string source)
    : name(std::move(stateName)), m_source(std::move(source))
{
}

ViewState::~ViewState() = default;

void ViewState::init(const NodePtr& element, bool parseNow)
{
    m_element = element;
    if (parseNow)
        parse();
}

void ViewState::parse()
{
    if (!m_element)
        return;
    // A by-id state reads its few keys again on every access and keeps the element for its
    // views, which are made on demand.
    try
    {
        if (load(m_element))
            m_element.reset();
    }
    catch (...)
    {
        rethrowWithContext();
    }
}

void ViewState::rethrowWithContext() const
{
    std::string text = "\"" + m_source + "\", view state \"" + Engine::toUtf8(name) +
                       "\": " + Engine::currentExceptionText();
    Engine::getErrorString() = text;
    throw Engine::cStringA(std::move(text));
}

ViewState::ViewPtr ViewState::makeView(const NodePtr& element, bool hidden)
{
    // Owned by the shared pointer from the start, so a layout that fails to load still goes
    // through the tree's queued deletion.
    ViewPtr view(new Engine::cButton(nullptr), [](Engine::cButton* button) { Engine::deleteLater(button); });
    view->loadXML(element);
    if (hidden)
        view->hide();
    return view;
}

bool ViewState::load(const NodePtr& element)
{
    std::vector<NodePtr> children;
    element->getChildren(children);
    Engine::tPropertiesList effects;
    if (element->getChildren(L"PyroEffects", effects) > 0)
        children.clear();

    soundId = Engine::toUtf8(element->getAttribute(L"sound_id"));

    if (children.empty())
    {
        m_views[0] = makeView(element, true);
        m_posOffset = read(element, L"posoffset", Engine::cVector2(0.0f, 0.0f));
        m_deepOffset = read(element, L"deep_offset", 0.0f);
        m_startFrame = read(element, L"start_frame", 0u);
        const Engine::cVector2 cycles = read(element, L"Cycles", Engine::cVector2(0.0f, 0.0f));
        m_cyclesMin = static_cast<int>(cycles.x);
        m_cyclesMax = static_cast<int>(cycles.y);
        return true;
    }

    m_byId = read(element, L"ById", false);
    m_deepOffset = read(element, L"deep_offset", 0.0f);
    if (m_byId)
    {
        m_playBack = read(element, L"PlayBack", false);
        return false;
    }

    const float firstAngle = read(element, L"FirstStateAngle", -1.0f);
    m_byAngles = read(element, L"ByAngles", false);
    m_posOffset = read(element, L"posoffset", Engine::cVector2(0.0f, 0.0f));

    if (m_byAngles)
    {
        m_startFrame = read(element, L"start_frame", 0u);
        m_deepOffset = read(element, L"deep_offset", 0.0f);
        for (const NodePtr& child : children)
        {
            const int angle = read(child, L"Angle", 0);
            const std::wstring& childName = child->getAttribute(L"Name");
            if (read(child, L"Complex", false))
            {
                auto sub = boost::make_shared<ViewState>(childName, m_source);
                sub->load(child);
                sub->m_angle = angle;
                m_subStates.emplace(childName, sub);
            }
            else if (!m_views.count(angle))
            {
                m_views[angle] = makeView(child, true);
                m_offsets[angle] = read(child, L"posoffset", Engine::cVector2(0.0f, 0.0f));
            }
        }
        return true;
    }

    if (firstAngle != -1.0f)
        loadDirectional(children, firstAngle, element);
    else
        loadSequence(children, element);
    return true;
}

void ViewState::loadDirectional(const std::vector<NodePtr>& children, float firstAngle,
                                const NodePtr& element)
{
    const int count = static_cast<int>(children.size());
    // Half a turn mirrored needs two children at least (the two ends of the half turn); with
    // fewer the children stand for the whole turn.
    const bool symmetric = read(element, L"Simmetric", false) && count >= 2;
    const int directions = symmetric ? 2 * count - 2 : count;
    const float step = 360.0f / static_cast<float>(directions);
    float angle = firstAngle;
    for (const NodePtr& child : children)
    {
        const int direction = angleToDirection(angle, directions);
        m_views[direction] = makeView(child, true);
        m_offsets[direction] = read(child, L"posoffset", Engine::cVector2(0.0f, 0.0f));
        angle -= step;
        if (angle <= -180.0f)
            angle += 360.0f;
    }
    if (!symmetric)
        return;
    for (int i = 1; i < directions; ++i)
    {
        if (m_views.count(i) && m_views[i])
            continue;
        const auto source = m_views.find(directions - i);
        if (source == m_views.end() || !source->second)
            continue;
        ViewPtr mirrored(new Engine::cButton(nullptr),
                         [](Engine::cButton* button) { Engine::deleteLater(button); });
        mirrored->copyFrom(*source->second);
        mirrored->setInverceX(true);
        mirrored->hide();
        m_views[i] = mirrored;
        Engine::cVector2 offset = m_offsets[directions - i];
        offset.x = -offset.x;
        m_offsets[i] = offset;
    }
}

void ViewState::loadSequence(const std::vector<NodePtr>& children, const NodePtr& element)
{
    m_rotate = read(element, L"Rotate", false);
    m_playCycles = read(element, L"PlayCycles", false);
    m_deepOffset = read(element, L"deep_offset", 0.0f);
    m_complex = read(element, L"Complex", false);
    if (m_complex)
    {
        m_baseView = makeView(element, true);
        m_posOffset = read(element, L"posoffset", Engine::cVector2(0.0f, 0.0f));
        m_deepOffset = read(element, L"deep_offset", 0.0f);
        m_startFrame = read(element, L"start_frame", 0u);
    }
    int part = 0;
    for (const NodePtr& child : children)
    {
        const std::wstring& childName = child->getAttribute(L"Name");
        if (m_complex)
        {
            m_views[part] = makeView(child, true);
            m_offsets[part] = read(child, L"posoffset", Engine::cVector2(0.0f, 0.0f));
            m_partDepths[part] = read(child, L"deep_offset", 0.0f);
            ++part;
            continue;
        }
        if (childName.empty() && !m_rotate)
            continue;
        if (m_firstSubState.empty())
            m_firstSubState = childName;
        if (m_subStates.count(childName))
            continue;
        auto sub = boost::make_shared<ViewState>(childName, m_source);
        sub->init(child, false);
        m_subStates.emplace(childName, sub);
    }
}

// ---------------------------------------------------------------------------------------------
// Accessors

bool ViewState::isComplex()
{
    parse();
    return m_complex;
}

bool ViewState::isRotate()
{
    parse();
    return m_rotate;
}

bool ViewState::isPlayCycles()
{
    parse();
    return m_playCycles;
}

const ViewState::SubStates& ViewState::getSubStates()
{
    parse();
    return m_subStates;
}

ViewState::ViewPtr ViewState::getView(int direction)
{
    parse();
    if (m_views.size() == 1)
        return m_views.begin()->second;
    const auto found = m_views.find(direction);
    return found == m_views.end() ? ViewPtr() : found->second;
}

Engine::cVector2 ViewState::getOffset(int direction)
{
    parse();
    if (m_views.size() == 1)
        return m_posOffset;
    const auto found = m_offsets.find(direction);
    return found == m_offsets.end() ? Engine::cVector2(0.0f, 0.0f) : found->second;
}

ViewState::ViewPtr ViewState::getViewByAngle(float angle)
{
    parse();
    if (m_views.size() == 1)
        return m_views.begin()->second;
    if (m_views.empty())
        return ViewPtr();
    if (!m_byAngles)
        return getView(angleToDirection(angle, static_cast<int>(m_views.size())));
    const int wanted = static_cast<int>(angle);
    ViewPtr choice;
    int best = 1000;
    for (const auto& [key, view] : m_views)
    {
        const int distance = std::abs(key - wanted);
        if (distance < best || !choice)
        {
            best = distance;
            choice = view;
        }
    }
    return choice;
}

Engine::cVector2 ViewState::getOffsetByAngle(float angle)
{
    parse();
    if (m_views.size() == 1)
        return m_posOffset;
    if (m_views.empty())
        return Engine::cVector2(0.0f, 0.0f);
    if (!m_byAngles)
        return getOffset(angleToDirection(angle, static_cast<int>(m_views.size())));
    const int wanted = static_cast<int>(angle);
    Engine::cVector2 choice(0.0f, 0.0f);
    int best = 1000;
    for (const auto& [key, offset] : m_offsets)
    {
        const int distance = std::abs(key - wanted);
        if (distance < best || choice == Engine::cVector2(0.0f, 0.0f))
        {
            best = distance;
            choice = offset;
        }
    }
    return choice;
}

ViewState::Ptr ViewState::getSubState(const std::wstring& subName)
{
    parse();
    if (m_subStates.empty())
        return shared_from_this();
    auto found = m_subStates.find(subName);
    if (found != m_subStates.end())
        return found->second;
    found = m_subStates.find(m_firstSubState);
    return found == m_subStates.end() ? Ptr() : found->second;
}

ViewState::ViewPtr ViewState::getById(const std::wstring& id)
{
    parse();
    const auto cached = m_byIdViews.find(id);
    if (cached != m_byIdViews.end())
        return cached->second;
    if (!m_element)
        return ViewPtr();
    std::vector<NodePtr> children;
    m_element->getChildren(children);
    NodePtr match;
    NodePtr fallback;
    for (const NodePtr& child : children)
    {
        const std::wstring& childId = child->getAttribute(L"Id");
        if (childId == id)
        {
            match = child;
            break;
        }
        if (!fallback || childId == L"default")
            fallback = child;
    }
    const std::wstring message = L"ViewState::getById(): undefined state id: " + id;
    if (!match)
    {
        // A level naming a look its unit type lacks must not end the game: the default look
        // stands in, and the mistake is logged.
        if (!fallback)
            throw message;
        Engine::reportProblem(L"error", "\"" + m_source + "\": " + Engine::toUtf8(message));
        match = fallback;
    }
    ViewPtr view;
    try
    {
        view = makeView(match, false);
    }
    catch (...)
    {
        rethrowWithContext();
    }
    m_byIdViews[id] = view;
    return view;
}

// ---------------------------------------------------------------------------------------------
// Showing on a unit view

void ViewState::lend(cUnitView& view, const Engine::cVector2& origin, float deep) const
{
    for (const auto& [key, part] : m_views)
    {
        if (!part)
            continue;
        const auto offset = m_offsets.find(key);
        const auto depth = m_partDepths.find(key);
        part->setPosition(origin +
                          (offset == m_offsets.end() ? Engine::cVector2(0.0f, 0.0f) : offset->second));
        part->setDeep(deep + (depth == m_partDepths.end() ? 0.0f : depth->second));
        part->show();
        view.adoptPart(part.get());
    }
}

void ViewState::showComplex(cUnitView& view)
{
    parse();
    view.hideStateChildren();
    if (m_baseView)
        view.copyFrom(*m_baseView);
    view.setPosition(Engine::cVector2(0.0f, 0.0f));
    view.setDeep(0.0f);
    lend(view, Engine::cVector2(0.0f, 0.0f), 0.0f);
}

bool ViewState::showByAngle(int angle, cUnitView& view)
{
    parse();
    const Engine::cVector2 position = view.getPosition();
    const float deep = view.getDeep();
    for (const auto& entry : m_subStates)
    {
        const ViewState& sub = *entry.second;
        if (sub.m_angle != angle)
            continue;
        if (sub.m_baseView)
            view.copyFrom(*sub.m_baseView);
        view.setPosition(position);
        view.setDeep(deep);
        sub.lend(view, position, deep);
        return true;
    }
    return false;
}

// ---------------------------------------------------------------------------------------------
// Level end

void ViewState::detachViews()
{
    if (m_complex)
    {
        for (const auto& entry : m_views)
        {
            if (!entry.second)
                continue;
            entry.second->setParent(nullptr);
            entry.second->hide();
        }
    }
    for (const auto& entry : m_subStates)
    {
        for (const auto& view : entry.second->m_views)
        {
            if (!view.second)
                continue;
            view.second->hide();
            view.second->setParent(nullptr);
        }
    }
}

void ViewState::hideViews()
{
    for (const auto& entry : m_views)
        if (entry.second)
            entry.second->hide();
    for (const auto& entry : m_byIdViews)
        if (entry.second)
            entry.second->hide();
}

void ViewState::release()
{
    m_views.clear();
    m_byIdViews.clear();
    m_baseView.reset();
    for (const auto& entry : m_subStates)
        entry.second->release();
    m_subStates.clear();
}
