#pragma once

#include "engine/core/cControl.h"

#include <boost/function.hpp>

#include <cstddef>
#include <set>
#include <vector>

namespace Engine
{

// The base of everything that is drawn: a node of the object tree with a drawing depth.
//
// Every shown view sits in the render registry, which the frame's render pass walks in
// ascending "deep" (ties by address), so a larger deep is drawn later, on top. A view joins
// the registry when it is shown, leaves it when it is hidden or destroyed, and is sorted again
// when its deep changes; the render pass also drops views it finds no longer shown.
class cView : public cControl
{
public:
    explicit cView(cControl* parent = nullptr);
    // Copies the drawing state of `other` into a new root view; it joins the render registry
    // when it is shown next.
    cView(const cView& other);
    cView& operator=(const cView&) = delete;
    ~cView() override;

    int getKind() const override { return 1; }
    void onShow() override;
    void onHide() override;
    void onTransparencyChanged() override;

    // Moves the deep of every child view by the same amount, then stores the new deep and
    // sorts the view again in the render registry when it is shown.
    virtual void setDeep(float deep);
    float getDeep() const { return m_deep; }

    // Set by every change of what is drawn; the geometry is rebuilt when it is asked for.
    bool isDirty() const { return m_dirty; }
    void setDirty() { m_dirty = true; }

    // Walks the render registry: calls `render` for every shown view, then drops the views
    // that are no longer shown (they join again when shown). Handlers run by `render` may
    // show, hide or re-sort views; the walk covers the views registered when it began.
    static void renderPass(const boost::function<void(cView*)>& render);
    static bool isInRenderRegistry(const cView* view);
    static std::size_t renderRegistrySize();
    // The registry's views in drawing order.
    static std::vector<cView*> getRenderOrder();

protected:
    bool m_dirty = true;

private:
    struct tDrawOrder
    {
        bool operator()(const cView* a, const cView* b) const;
    };
    using tRenderRegistry = std::set<cView*, tDrawOrder>;

    // The registry, and its views in order, rebuilt after the registry changed.
    struct tRegistry
    {
        tRenderRegistry views;
        std::vector<cView*> order;
        bool orderStale = false;
    };
    static tRegistry& renderRegistry();
    void joinRenderRegistry();
    void leaveRenderRegistry();

    float m_deep = 0.0f;
    // The deep under which the view sits in the registry; changed only while it is out, so
    // the registry's order never changes under it.
    float m_registeredDeep = 0.0f;
    bool m_inRenderRegistry = false;
};

} // namespace Engine
