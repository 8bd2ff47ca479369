#include "platform/gfx/GlTexture.h"

#include "platform/gfx/GlCallError.h"

#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>
#include <GL/glext.h>

namespace Platform
{

GlTexture::GlTexture(int width, int height, Format format, Pool pool, uint32_t usage,
                     const std::shared_ptr<GlSharedState>& shared)
    : GfxTexture(width, height, format, pool, usage), m_shared(shared)
{
    if (pool == Pool::SystemMem)
        return;
    GLuint name = 0;
    QUILL_GL(glGenTextures(1, &name));
    m_name = name;
    QUILL_GL(glBindTexture(GL_TEXTURE_2D, name));
    shared->boundTexture = name;
    // One level: a mipmapping minification filter would leave the texture incomplete.
    QUILL_GL(glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0));
    QUILL_GL(glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST));
    QUILL_GL(glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST));
    m_sampler.minFilter = GL_NEAREST;
    m_sampler.magFilter = GL_NEAREST;
    m_internalFormat =
        format == Format::X8R8G8B8 ? GL_RGB8 : (shared->unsizedAlphaStorage ? GL_RGBA : GL_RGBA8);
}

GlTexture::~GlTexture()
{
    const std::shared_ptr<GlSharedState> shared = m_shared.lock();
    if (!shared || m_name == 0)
        return;
    GLuint name = m_name;
    QUILL_GL_NOTHROW(glDeleteTextures(1, &name));
    if (shared->boundTexture == m_name)
        shared->boundTexture = 0;
}

void GlTexture::onUnlock(const PixelRect& changed)
{
    if (m_name == 0)
        return;
    if (m_filled)
    {
        upload(changed);
        return;
    }
    const std::shared_ptr<GlSharedState> shared = m_shared.lock();
    if (!shared)
        return;
    QUILL_GL(glBindTexture(GL_TEXTURE_2D, m_name));
    shared->boundTexture = m_name;
    QUILL_GL(glPixelStorei(GL_UNPACK_ALIGNMENT, 4));
    QUILL_GL(glPixelStorei(GL_UNPACK_ROW_LENGTH, 0));
    QUILL_GL(glTexImage2D(GL_TEXTURE_2D, 0, m_internalFormat, width(), height(), 0, GL_BGRA,
                          GL_UNSIGNED_INT_8_8_8_8_REV, pixels()));
    m_filled = true;
}

bool GlTexture::readBack(uint32_t* pixels) const
{
    const std::shared_ptr<GlSharedState> shared = m_shared.lock();
    if (!shared || m_name == 0 || !m_filled)
        return false;
    QUILL_GL(glBindTexture(GL_TEXTURE_2D, m_name));
    shared->boundTexture = m_name;
    QUILL_GL(glPixelStorei(GL_PACK_ALIGNMENT, 4));
    QUILL_GL(glPixelStorei(GL_PACK_ROW_LENGTH, 0));
    QUILL_GL(glGetTexImage(GL_TEXTURE_2D, 0, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, pixels));
    return true;
}

void GlTexture::upload(const PixelRect& rect)
{
    const std::shared_ptr<GlSharedState> shared = m_shared.lock();
    if (!shared)
        return;
    QUILL_GL(glBindTexture(GL_TEXTURE_2D, m_name));
    shared->boundTexture = m_name;
    QUILL_GL(glPixelStorei(GL_UNPACK_ALIGNMENT, 4));
    QUILL_GL(glPixelStorei(GL_UNPACK_ROW_LENGTH, width()));
    const uint32_t* first = pixels() + static_cast<size_t>(rect.top) * static_cast<size_t>(width()) +
                            static_cast<size_t>(rect.left);
    QUILL_GL(glTexSubImage2D(GL_TEXTURE_2D, 0, rect.left, rect.top, rect.right - rect.left,
                             rect.bottom - rect.top, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, first));
    QUILL_GL(glPixelStorei(GL_UNPACK_ROW_LENGTH, 0));
}

} // namespace Platform
