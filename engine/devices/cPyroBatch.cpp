#include "engine/devices/cPyroBatch.h"

#include "engine/devices/cParticleDrawInfo.h"
#include "platform/gfx/GfxDevice.h"
#include "platform/particles/IPyroEmitter.h"

namespace Engine
{

void cPyroBatch::place(cParticleDrawInfo& info, const cBatchRenderer::tPlacement& placement,
                       bool deviceRecreated)
{
    if (!info.emitter || !(deviceRecreated || info.changed))
        return;
    info.changed = false;
    const float px = info.positionX;
    const float py = info.positionY;
    if (!placement.fullscreen)
    {
        const float k = info.scale;
        info.emitter->setScale(k);
        info.emitter->setPosition(info.offsetX + px - k * px, info.offsetY + py - k * py, info.positionZ);
        return;
    }
    const float m = placement.scaleX < placement.scaleY ? placement.scaleX : placement.scaleY;
    const float k = info.scale * m;
    info.emitter->setScale(k);
    const float sx = placement.scaleX * px + placement.offsetX;
    const float sy = placement.scaleY * py + placement.offsetY;
    info.emitter->setPosition(sx - k * px + m * info.offsetX, sy - k * py + m * info.offsetY, info.positionZ);
}

void cPyroBatch::draw(cParticleDrawInfo& info, const cBatchRenderer::tPlacement& placement,
                      bool deviceRecreated)
{
    if (!info.emitter)
        return;
    place(info, placement, deviceRecreated);
    uint32_t block = 0;
    const bool saved = !Platform::gfxFailed(m_device.createStateBlock(block));
    struct tRestore
    {
        Platform::GfxDevice& device;
        uint32_t block;
        bool saved;
        ~tRestore()
        {
            if (saved)
            {
                device.applyStateBlock(block);
                device.deleteStateBlock(block);
            }
        }
    } restore{m_device, block, saved};
    info.emitter->draw();
}

} // namespace Engine
