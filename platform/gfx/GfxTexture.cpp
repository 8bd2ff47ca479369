#include "platform/gfx/GfxTexture.h"

namespace Platform
{

GfxTexture::GfxTexture(int width, int height, Format format, Pool pool, uint32_t usage)
    : m_pixels(static_cast<size_t>(width) * static_cast<size_t>(height), 0u)
{
    m_desc.format = format;
    m_desc.pool = pool;
    m_desc.usage = usage;
    m_desc.width = width;
    m_desc.height = height;
}

GfxTexture::~GfxTexture() = default;

GfxResult GfxTexture::getLevelDesc(unsigned level, SurfaceDesc& out) const
{
    if (level != 0)
        return GfxError::InvalidCall;
    out = m_desc;
    return GfxError::Ok;
}

GfxResult GfxTexture::lockRect(unsigned level, LockedRect& out, const PixelRect* rect, uint32_t flags)
{
    out = LockedRect{};
    if (level != 0 || m_locked)
        return GfxError::InvalidCall;
    PixelRect area{0, 0, m_desc.width, m_desc.height};
    if (rect)
    {
        if (rect->left < 0 || rect->top < 0 || rect->right > m_desc.width || rect->bottom > m_desc.height ||
            rect->left >= rect->right || rect->top >= rect->bottom)
            return GfxError::InvalidCall;
        area = *rect;
    }
    m_locked = true;
    m_readOnlyLock = (flags & Lock::ReadOnly) != 0;
    m_lockedRect = area;
    out.pitch = m_desc.width * 4;
    out.bits = m_pixels.data() + static_cast<size_t>(area.top) * static_cast<size_t>(m_desc.width) +
               static_cast<size_t>(area.left);
    return GfxError::Ok;
}

GfxResult GfxTexture::unlockRect(unsigned level)
{
    if (level != 0 || !m_locked)
        return GfxError::InvalidCall;
    m_locked = false;
    if (!m_readOnlyLock && m_desc.width > 0 && m_desc.height > 0)
    {
        ++m_version;
        onUnlock(m_lockedRect);
    }
    return GfxError::Ok;
}

void GfxTexture::onUnlock(const PixelRect&) {}

} // namespace Platform
