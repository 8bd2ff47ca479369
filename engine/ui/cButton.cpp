#include "engine/ui/cButton.h"

#include "engine/devices/cResourceManager.h"
#include "engine/devices/cTexture.h"
#include "engine/ui/LayoutKeys.h"
#include "engine/ui/cControlFactory.h"

namespace Engine
{

cButton::cButton(cControl* parent) : cButtonPrototype(parent) {}

cButton::cButton(const cButton& other) : cButtonPrototype(other), m_textures(other.m_textures) {}

void cButton::loadXML(const tPropertiesPtr& node)
{
    cButtonPrototype::loadXML(node);
    const tStateTexture normal{getTexture(), getTextureName()};
    m_textures[StateNormal] = normal;
    if (!node)
    {
        m_textures[StatePressed] = m_textures[StateHover] = m_textures[StateDisabled] = normal;
        return;
    }
    const auto stateTexture = [&node, &normal](const wchar_t* key) -> tStateTexture
    {
        std::string name;
        readKey(node, key, name);
        cResourceManager* manager = cResourceManager::instance();
        if (name.empty() || !manager)
            return normal;
        return {manager->getTexture(name), name};
    };
    m_textures[StatePressed] = stateTexture(L"texture_pressed");
    m_textures[StateHover] = stateTexture(L"texture_hover");
    m_textures[StateDisabled] = stateTexture(L"texture_disabled");
    refreshLook();
}

void cButton::showState(int32_t state)
{
    if (state >= StateDisabled && state <= StatePressed)
    {
        // The replaced texture is only let go: other views share it, so it is never told to give
        // up its device data.
        const tStateTexture& shown = m_textures[static_cast<size_t>(state)];
        if (!getTexture() || shown.texture)
        {
            storeTexture(shown.texture, shown.name);
            refreshFrame();
        }
    }
    setDirty();
}

void cButton::copyFrom(const cButton& other)
{
    if (this == &other)
        return;
    copyProperties(other);
    copyButtonFrom(other);
    m_textures = other.m_textures;
}

boost::shared_ptr<cTexture> cButton::getStateTexture(int32_t state) const
{
    if (state < StateDisabled || state > StatePressed)
        return {};
    return m_textures[static_cast<size_t>(state)].texture;
}

namespace
{

const cControlFactory::cRegistration names({L"btn", L"b"}, &createControl<cButton>);

} // namespace

} // namespace Engine
