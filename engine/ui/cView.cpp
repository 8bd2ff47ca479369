#include "engine/ui/cView.h"

#include <cmath>
#include <functional>

namespace Engine
{

bool cView::tDrawOrder::operator()(const cView* a, const cView* b) const
{
    if (a->m_registeredDeep != b->m_registeredDeep)
        return a->m_registeredDeep < b->m_registeredDeep;
    return std::less<const cView*>()(a, b);
}

cView::tRegistry& cView::renderRegistry()
{
    static tRegistry registry;
    return registry;
}

cView::cView(cControl* parent) : cControl(parent)
{
    // Built before the first view is complete, so the registry outlives every view.
    renderRegistry();
    setTransparency(1.0f);
}

cView::cView(const cView& other) : cControl(other), m_deep(other.m_deep)
{
    renderRegistry();
    setTransparency(1.0f);
}

cView::~cView()
{
    // A view queued for deletion is detached first, and detaching shows it again; leaving
    // here keeps the render pass from meeting freed memory.
    leaveRenderRegistry();
}

void cView::joinRenderRegistry()
{
    if (m_inRenderRegistry)
        return;
    // A deep that is not a number would break the registry's order; it sorts as 0.
    m_registeredDeep = std::isnan(m_deep) ? 0.0f : m_deep;
    tRegistry& registry = renderRegistry();
    registry.views.insert(this);
    registry.orderStale = true;
    m_inRenderRegistry = true;
}

void cView::leaveRenderRegistry()
{
    if (!m_inRenderRegistry)
        return;
    tRegistry& registry = renderRegistry();
    registry.views.erase(this);
    registry.orderStale = true;
    m_inRenderRegistry = false;
}

void cView::onShow()
{
    joinRenderRegistry();
    cControl::onShow();
}

void cView::onHide()
{
    leaveRenderRegistry();
    cControl::onHide();
}

void cView::onTransparencyChanged()
{
    m_dirty = true;
    cControl::onTransparencyChanged();
}

void cView::setDeep(float deep)
{
    const float delta = deep - m_deep;
    for (cControl* child : getChildren())
        if (cView* view = dynamic_cast<cView*>(child))
            view->setDeep(view->getDeep() + delta);
    const bool shown = isShown();
    if (shown || m_inRenderRegistry)
        leaveRenderRegistry();
    m_deep = deep;
    if (shown)
        joinRenderRegistry();
    m_dirty = true;
}

void cView::renderPass(const boost::function<void(cView*)>& render)
{
    tRegistry& registry = renderRegistry();
    if (registry.views.empty())
        return;
    if (registry.orderStale)
    {
        registry.order.assign(registry.views.begin(), registry.views.end());
        registry.orderStale = false;
    }
    // A drawing hook may show, hide or re-sort views, which rebuilds the order: the walk goes
    // over a copy of the order it began with.
    const std::vector<cView*> walk(registry.order);
    std::vector<cView*> hidden;
    for (cView* view : walk)
    {
        if (view->isShown())
            render(view);
        else
            hidden.push_back(view);
    }
    for (cView* view : hidden)
        if (!view->isShown())
            view->leaveRenderRegistry();
}

bool cView::isInRenderRegistry(const cView* view)
{
    return view->m_inRenderRegistry;
}

std::size_t cView::renderRegistrySize()
{
    return renderRegistry().views.size();
}

std::vector<cView*> cView::getRenderOrder()
{
    const tRenderRegistry& views = renderRegistry().views;
    return std::vector<cView*>(views.begin(), views.end());
}

} // namespace Engine
