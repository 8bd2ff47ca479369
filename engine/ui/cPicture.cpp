#include "engine/ui/cPicture.h"

#include "engine/core/cTimer.h"

namespace Engine
{

cPicture::cPicture(cControl* parent) : cView(parent) {}

cPicture::cPicture(const cPicture& other) : cView(other) {}

void cPicture::update()
{
    if (PlayAnimation)
    {
        // The time is wrapped into the animation when the geometry is next built.
        if (const cTimer* timer = cTimer::instance())
            setAnimTime(getAnimTime() + timer->getFrameTime());
        setDirty();
    }
    cView::update();
}

void cPicture::loadXML(const tPropertiesPtr& node)
{
    cView::loadXML(node);
}

} // namespace Engine
