#include "engine/ui/cTextureAnimation.h"

#include "engine/core/ErrorText.h"
#include "engine/core/StringUtils.h"
#include "engine/core/cTimer.h"
#include "engine/devices/cResourceManager.h"
#include "engine/devices/cTexture.h"
#include "engine/ui/LayoutKeys.h"
#include "engine/ui/cControlFactory.h"

#include <algorithm>
#include <cmath>

namespace Engine
{

cTextureAnimation::cTextureAnimation(cControl* parent) : cPicture(parent) {}

void cTextureAnimation::loadXML(const tPropertiesPtr& node)
{
    cPicture::loadXML(node);
    m_frames.clear();
    m_frames.push_back({getTexture(), getTextureName()});
    if (!node)
        return;
    cResourceManager* manager = cResourceManager::instance();
    for (unsigned n = 1; manager; ++n)
    {
        const std::wstring key = L"Picture" + std::to_wstring(n);
        std::string name;
        readKey(node, key.c_str(), name);
        if (name.empty())
            break;
        boost::shared_ptr<cTexture> texture;
        try
        {
            texture = manager->getTexture(name);
        }
        catch (...)
        {
            // A frame that cannot be loaded ends the list, as an empty name does: the frames
            // before it still play. The author learns which one from the log.
            reportProblem(L"error", "\"" + name + "\" (" + toUtf8(key) +
                                        " of a texture animation) cannot be loaded, so the animation "
                                        "ends before it: " +
                                        currentExceptionText());
        }
        if (!texture)
            break;
        m_frames.push_back({texture, name});
    }
}

void cTextureAnimation::update()
{
    const float length = anim_length;
    // A length of 0 would choose a frame that is not a number.
    if (isShown() && isEffectivelyEnabled() && getFadeState() == FadeNone && PlayAnimation && length > 0.0f &&
        !m_frames.empty())
    {
        const cTimer* timer = cTimer::instance();
        const float time =
            wrapTime(getAnimTime() + (timer ? timer->getFrameTime() : 0.0f), length, anim_loop);
        setAnimTime(time);
        const std::size_t count = m_frames.size();
        std::size_t index = count - 1;
        if (time < length)
            index =
                std::min(static_cast<std::size_t>(std::max(time / length, 0.0f) * static_cast<float>(count)),
                         count - 1);
        const tFrame& frame = m_frames[index];
        if (frame.texture != getTexture())
        {
            storeTexture(frame.texture, frame.name);
            refreshFrame();
            setDirty();
        }
    }
    cPicture::update();
}

namespace
{

const cControlFactory::cRegistration names({L"textureanimation", L"textureanim"},
                                           &createControl<cTextureAnimation>);

} // namespace

} // namespace Engine
