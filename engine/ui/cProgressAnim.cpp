#include "engine/ui/cProgressAnim.h"

#include "engine/ui/LayoutKeys.h"
#include "engine/ui/cControlFactory.h"

namespace Engine
{

cProgressAnim::cProgressAnim(cControl* parent) : cPicture(parent) {}

void cProgressAnim::loadXML(const tPropertiesPtr& node)
{
    cPicture::loadXML(node);
    if (node)
    {
        readKey(node, L"ProgressMaxValue", m_max);
        readKey(node, L"ProgressCurrentValue", m_current);
    }
    setDirty();
}

namespace
{

const cControlFactory::cRegistration names({L"progressanim"}, &createControl<cProgressAnim>);

} // namespace

} // namespace Engine
