#include "platform/gfx/GlGfxDevice.h"

#include "platform/gfx/ExtensionList.h"
#include "platform/gfx/GlCallError.h"
#include "platform/gfx/VertexLighting.h"

#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>
#include <GL/glext.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace Platform
{

namespace
{

bool hasExtension(const char* name)
{
    return Platform::hasExtension(reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS)), name);
}

int glVersion()
{
    const char* text = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    int major = 0;
    int minor = 0;
    if (!text || std::sscanf(text, "%d.%d", &major, &minor) != 2)
        return 0;
    return major * 10 + minor;
}

GLenum primitiveMode(PrimitiveType type)
{
    switch (type)
    {
    case PrimitiveType::PointList:
        return GL_POINTS;
    case PrimitiveType::LineList:
        return GL_LINES;
    case PrimitiveType::LineStrip:
        return GL_LINE_STRIP;
    case PrimitiveType::TriangleList:
        return GL_TRIANGLES;
    case PrimitiveType::TriangleStrip:
        return GL_TRIANGLE_STRIP;
    case PrimitiveType::TriangleFan:
        return GL_TRIANGLE_FAN;
    }
    return GL_TRIANGLES;
}

// A vertex program as the device runs it: the position it writes goes through the same
// pixel-centre and depth correction as the fixed pipeline's projection (program.local[0..3]
// hold the columns of the correction).
bool rewriteProgram(const std::string& source, std::string& out)
{
    const std::string header = "!!ARBvp1.0";
    if (source.compare(0, header.size(), header) != 0)
        return false;
    const size_t end = source.rfind("END");
    if (end == std::string::npos)
        return false;
    std::string body = source.substr(header.size(), end - header.size());
    const std::string position = "result.position";
    for (size_t at = body.find(position); at != std::string::npos; at = body.find(position, at))
    {
        body.replace(at, position.size(), "qPosition");
        at += 9;
    }
    out = header + "\nTEMP qPosition;\n" + body +
          "\nDP4 result.position.x, qPosition, program.local[0];"
          "\nDP4 result.position.y, qPosition, program.local[1];"
          "\nDP4 result.position.z, qPosition, program.local[2];"
          "\nDP4 result.position.w, qPosition, program.local[3];"
          "\nEND\n";
    return true;
}

} // namespace

struct GlGfxDevice::ProgramFunctions
{
    PFNGLGENPROGRAMSARBPROC genPrograms = nullptr;
    PFNGLDELETEPROGRAMSARBPROC deletePrograms = nullptr;
    PFNGLBINDPROGRAMARBPROC bindProgram = nullptr;
    PFNGLPROGRAMSTRINGARBPROC programString = nullptr;
    PFNGLPROGRAMENVPARAMETER4FVARBPROC programEnvParameter4fv = nullptr;
    PFNGLPROGRAMLOCALPARAMETER4FARBPROC programLocalParameter4f = nullptr;
    PFNGLVERTEXATTRIBPOINTERARBPROC vertexAttribPointer = nullptr;
    PFNGLENABLEVERTEXATTRIBARRAYARBPROC enableVertexAttribArray = nullptr;
    PFNGLDISABLEVERTEXATTRIBARRAYARBPROC disableVertexAttribArray = nullptr;

    template <class F> static bool load(GlContext& context, const char* name, F& function)
    {
        function = reinterpret_cast<F>(context.procAddress(name));
        return function != nullptr;
    }

    bool load(GlContext& c)
    {
        return load(c, "glGenProgramsARB", genPrograms) && load(c, "glDeleteProgramsARB", deletePrograms) &&
               load(c, "glBindProgramARB", bindProgram) && load(c, "glProgramStringARB", programString) &&
               load(c, "glProgramEnvParameter4fvARB", programEnvParameter4fv) &&
               load(c, "glProgramLocalParameter4fARB", programLocalParameter4f) &&
               load(c, "glVertexAttribPointerARB", vertexAttribPointer) &&
               load(c, "glEnableVertexAttribArrayARB", enableVertexAttribArray) &&
               load(c, "glDisableVertexAttribArrayARB", disableVertexAttribArray);
    }
};

GfxResult GlGfxDevice::create(const PresentParams& params, std::unique_ptr<GlContext> context, bool offscreen,
                              std::unique_ptr<GfxDevice>& device, std::string& error)
{
    device.reset();
    if (!context || params.backBufferWidth <= 0 || params.backBufferHeight <= 0)
        return GfxError::InvalidCall;
    std::unique_ptr<GlGfxDevice> made(new GlGfxDevice(params, std::move(context), offscreen));
    if (!made->initialise(error))
        return GfxError::NotAvailable;
    device = std::move(made);
    return GfxError::Ok;
}

GlGfxDevice::GlGfxDevice(const PresentParams& params, std::unique_ptr<GlContext> context, bool offscreen)
    : GfxDevice(params), m_context(std::move(context)), m_shared(std::make_shared<GlSharedState>()),
      m_offscreen(offscreen)
{
}

GlGfxDevice::~GlGfxDevice()
{
    // The textures still held elsewhere see the shared state expire and delete nothing.
    m_state.reset(false);
    m_applied.reset(false);
    for (const auto& program : m_programs)
    {
        GLuint name = program.second;
        QUILL_GL_NOTHROW(m_arb->deletePrograms(1, &name));
    }
    releaseFramebuffer();
    m_shared.reset();
    m_context.reset();
}

bool GlGfxDevice::initialise(std::string& error)
{
    if (!m_context->makeCurrent())
    {
        error = "the OpenGL context cannot be made current";
        return false;
    }
    if (glVersion() < 21)
    {
        error = "OpenGL 2.1 is needed";
        return false;
    }
    m_bgraArrays = glVersion() >= 32 || hasExtension("GL_ARB_vertex_array_bgra") ||
                   hasExtension("GL_EXT_vertex_array_bgra");
    m_anisotropic = hasExtension("GL_EXT_texture_filter_anisotropic") ||
                    hasExtension("GL_ARB_texture_filter_anisotropic");
    m_arb = std::make_unique<ProgramFunctions>();
    m_vertexPrograms = hasExtension("GL_ARB_vertex_program") && m_arb->load(*m_context);
    GLint maxSize = 0;
    QUILL_GL(glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSize));
    if (maxSize > 0)
        m_maxTextureSize = maxSize;
    chooseTextureStorage();
    if (!chooseBackBuffer(error))
        return false;
    m_context->setSwapInterval(m_params.interval == PresentInterval::Immediate ? 0 : 1);
    setViewport();
    QUILL_GL(glActiveTexture(GL_TEXTURE0));
    QUILL_GL(glClientActiveTexture(GL_TEXTURE0));
    QUILL_GL(glDisable(GL_SCISSOR_TEST));
    QUILL_GL(glPixelStorei(GL_PACK_ALIGNMENT, 4));
    m_appliedValid = false;
    m_transformsValid = false;
    return true;
}

// Textures are uploaded as BGRA. Asked for RGBA8, a driver may keep its own channel order and
// turn every uploaded pixel round: Mesa's software rasteriser does, and then takes five times as
// long over an upload as over a copy. Asked for the unsized RGBA, it keeps the order given.
// Unsized formats leave the precision to the driver, so the unsized one is taken only where a
// probe upload shows eight bits in every channel.
void GlGfxDevice::chooseTextureStorage()
{
    GLuint probe = 0;
    QUILL_GL(glGenTextures(1, &probe));
    QUILL_GL(glBindTexture(GL_TEXTURE_2D, probe));
    const uint32_t pixel = 0x80402010u;
    QUILL_GL(glPixelStorei(GL_UNPACK_ALIGNMENT, 4));
    QUILL_GL(glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 1, 1, 0, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, &pixel));
    bool eightBits = true;
    for (const GLenum channel :
         {GL_TEXTURE_RED_SIZE, GL_TEXTURE_GREEN_SIZE, GL_TEXTURE_BLUE_SIZE, GL_TEXTURE_ALPHA_SIZE})
    {
        GLint bits = 0;
        QUILL_GL(glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, channel, &bits));
        eightBits = eightBits && bits == 8;
    }
    QUILL_GL(glDeleteTextures(1, &probe));
    QUILL_GL(glBindTexture(GL_TEXTURE_2D, 0));
    m_shared->boundTexture = 0;
    m_shared->unsizedAlphaStorage = eightBits;
}

bool GlGfxDevice::makeFramebuffer(int width, int height, std::string& error)
{
    releaseFramebuffer();
    GLuint names[2] = {0, 0};
    QUILL_GL(glGenFramebuffers(1, names));
    m_framebuffer = names[0];
    QUILL_GL(glGenRenderbuffers(2, names));
    m_colorBuffer = names[0];
    m_depthBuffer = names[1];
    QUILL_GL(glBindFramebuffer(GL_FRAMEBUFFER, m_framebuffer));
    // No alpha in the back buffer: blending with the destination alpha reads 1, as with the
    // classic device's X8R8G8B8 back buffer.
    QUILL_GL(glBindRenderbuffer(GL_RENDERBUFFER, m_colorBuffer));
    QUILL_GL(glRenderbufferStorage(GL_RENDERBUFFER, GL_RGB8, width, height));
    QUILL_GL(glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, m_colorBuffer));
    QUILL_GL(glBindRenderbuffer(GL_RENDERBUFFER, m_depthBuffer));
    QUILL_GL(glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH24_STENCIL8, width, height));
    QUILL_GL(glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, m_depthBuffer));
    QUILL_GL(
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_STENCIL_ATTACHMENT, GL_RENDERBUFFER, m_depthBuffer));
    QUILL_GL(glBindRenderbuffer(GL_RENDERBUFFER, 0));
    const GLenum status = glCheckFramebufferStatus(GL_FRAMEBUFFER);
    if (GlCallsChecked)
        checkGlCall("glCheckFramebufferStatus");
    if (status != GL_FRAMEBUFFER_COMPLETE)
    {
        error = "the framebuffer object for the back buffer is incomplete";
        releaseFramebuffer();
        return false;
    }
    QUILL_GL(glDrawBuffer(GL_COLOR_ATTACHMENT0));
    QUILL_GL(glReadBuffer(GL_COLOR_ATTACHMENT0));
    return true;
}

bool GlGfxDevice::chooseBackBuffer(std::string& error)
{
    m_direct = !m_offscreen && windowKeepsBackBuffer();
    if (m_direct)
    {
        releaseFramebuffer();
        return true;
    }
    return makeFramebuffer(m_params.backBufferWidth, m_params.backBufferHeight, error);
}

bool GlGfxDevice::windowKeepsBackBuffer()
{
    // Two marks, each cleared into the corner pixel and swapped: a back buffer that keeps its
    // pixels shows the second mark afterwards; one that is swapped with the front buffer shows
    // the first, and an undefined one most likely neither.
    releaseFramebuffer();
    QUILL_GL(glBindFramebuffer(GL_FRAMEBUFFER, 0));
    QUILL_GL(glDrawBuffer(GL_BACK));
    QUILL_GL(glReadBuffer(GL_BACK));
    QUILL_GL(glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE));
    QUILL_GL(glScissor(0, 0, 1, 1));
    QUILL_GL(glEnable(GL_SCISSOR_TEST));
    const uint8_t marks[2][3] = {{40, 120, 200}, {200, 40, 120}};
    for (const auto& mark : marks)
    {
        QUILL_GL(glClearColor(mark[0] / 255.0f, mark[1] / 255.0f, mark[2] / 255.0f, 1.0f));
        QUILL_GL(glClear(GL_COLOR_BUFFER_BIT));
        m_context->swapBuffers();
    }
    uint8_t pixel[4] = {0, 0, 0, 0};
    QUILL_GL(glPixelStorei(GL_PACK_ALIGNMENT, 1));
    QUILL_GL(glReadPixels(0, 0, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel));
    QUILL_GL(glPixelStorei(GL_PACK_ALIGNMENT, 4));
    applyClip();
    bool kept = true;
    for (int c = 0; c < 3; ++c)
        kept = kept && std::abs(static_cast<int>(pixel[c]) - static_cast<int>(marks[1][c])) <= 2;
    return kept;
}

void GlGfxDevice::releaseFramebuffer()
{
    if (m_framebuffer == 0)
        return;
    // Also run by the destructor, which must not throw.
    QUILL_GL_NOTHROW(glBindFramebuffer(GL_FRAMEBUFFER, 0));
    GLuint framebuffer = m_framebuffer;
    QUILL_GL_NOTHROW(glDeleteFramebuffers(1, &framebuffer));
    GLuint buffers[2] = {m_colorBuffer, m_depthBuffer};
    QUILL_GL_NOTHROW(glDeleteRenderbuffers(2, buffers));
    m_framebuffer = m_colorBuffer = m_depthBuffer = 0;
}

void GlGfxDevice::setViewport()
{
    QUILL_GL(glViewport(0, 0, m_params.backBufferWidth, m_params.backBufferHeight));
    QUILL_GL(glDepthRange(0.0, 1.0));
}

GfxResult GlGfxDevice::onReset(const PresentParams& params)
{
    m_params = params;
    // A new mode may bring the window another back buffer: whether it keeps its pixels is
    // found out again.
    std::string error;
    if (!chooseBackBuffer(error))
        return GfxError::NotAvailable;
    m_context->setSwapInterval(params.interval == PresentInterval::Immediate ? 0 : 1);
    setViewport();
    applyClip();
    // Everything is pushed again at the next draw.
    m_appliedValid = false;
    m_transformsValid = false;
    return GfxError::Ok;
}

GfxResult GlGfxDevice::present()
{
    if (isInScene())
        return GfxError::InvalidCall;
    // Offscreen the frame is waited for, as a swap waits for the frames before it: with only a
    // flush a software rasteriser queues frame after frame, holding every queued frame's vertex
    // data and the pictures it draws, and memory climbs by tens of megabytes over a few level
    // starts.
    if (m_offscreen)
    {
        QUILL_GL(glFinish());
        return GfxError::Ok;
    }
    if (m_direct)
    {
        m_context->swapBuffers();
        return GfxError::Ok;
    }
    // The kept frame is copied into the window's back buffer, which the swap then shows; what
    // the swap leaves behind there is never read. The copy is not clipped.
    if (m_clipped)
        QUILL_GL(glDisable(GL_SCISSOR_TEST));
    QUILL_GL(glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0));
    QUILL_GL(glBlitFramebuffer(0, 0, m_params.backBufferWidth, m_params.backBufferHeight, 0, 0,
                               m_params.backBufferWidth, m_params.backBufferHeight, GL_COLOR_BUFFER_BIT,
                               GL_NEAREST));
    QUILL_GL(glBindFramebuffer(GL_DRAW_FRAMEBUFFER, m_framebuffer));
    if (m_clipped)
        QUILL_GL(glEnable(GL_SCISSOR_TEST));
    m_context->swapBuffers();
    return GfxError::Ok;
}

GfxResult GlGfxDevice::setClipRect(const PixelRect* rect)
{
    const GfxResult result = GfxDevice::setClipRect(rect);
    if (!gfxFailed(result))
        applyClip();
    return result;
}

void GlGfxDevice::applyClip()
{
    if (!m_clipped)
    {
        QUILL_GL(glDisable(GL_SCISSOR_TEST));
        return;
    }
    // GL counts rows from the bottom.
    QUILL_GL(glScissor(m_clip.left, m_params.backBufferHeight - m_clip.bottom, m_clip.right - m_clip.left,
                       m_clip.bottom - m_clip.top));
    QUILL_GL(glEnable(GL_SCISSOR_TEST));
}

GfxResult GlGfxDevice::clear(uint32_t flags, uint32_t argb, float z, uint32_t stencil)
{
    // The window system resizes the window's buffers when it gets round to it after a reset;
    // setting the viewport makes GL look at their size again. A frame begins with a clear.
    if (m_direct)
        setViewport();
    // Depth and stencil are cleared when a draw first tests them: nothing else reads them, and
    // most frames of a two-dimensional game never do, while a software rasteriser clears and
    // carries both buffers through every tile of a frame that asks for it.
    if ((flags & ClearFlag::ZBuffer) && m_params.autoDepthStencil)
    {
        m_pendingClear.bits |= GL_DEPTH_BUFFER_BIT;
        m_pendingClear.z = z;
    }
    if ((flags & ClearFlag::Stencil) && m_params.autoDepthStencil)
    {
        m_pendingClear.bits |= GL_STENCIL_BUFFER_BIT;
        m_pendingClear.stencil = stencil & 0xFF;
    }
    if (!(flags & ClearFlag::Target))
        return GfxError::Ok;
    const float k = 1.0f / 255.0f;
    QUILL_GL(glClearColor(static_cast<float>((argb >> 16) & 255) * k,
                          static_cast<float>((argb >> 8) & 255) * k, static_cast<float>(argb & 255) * k,
                          static_cast<float>(argb >> 24) * k));
    // GL's clear obeys the write masks; the classic clear does not.
    QUILL_GL(glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE));
    QUILL_GL(glClear(GL_COLOR_BUFFER_BIT));
    return GfxError::Ok;
}

void GlGfxDevice::clearDepthStencilWhenTested()
{
    if (m_pendingClear.bits == 0 || (!m_state[RenderState::ZEnable] && !m_state[RenderState::StencilEnable]))
        return;
    if (m_pendingClear.bits & GL_DEPTH_BUFFER_BIT)
        QUILL_GL(glClearDepth(m_pendingClear.z));
    if (m_pendingClear.bits & GL_STENCIL_BUFFER_BIT)
        QUILL_GL(glClearStencil(static_cast<GLint>(m_pendingClear.stencil)));
    QUILL_GL(glDepthMask(GL_TRUE));
    QUILL_GL(glStencilMask(0xFFFFFFFFu));
    // Cleared whole, whatever the clip: the clip may change before the next test, and only what
    // is drawn reads these buffers.
    if (m_clipped)
        QUILL_GL(glDisable(GL_SCISSOR_TEST));
    QUILL_GL(glClear(m_pendingClear.bits));
    if (m_clipped)
        QUILL_GL(glEnable(GL_SCISSOR_TEST));
    m_pendingClear.bits = 0;
    if (m_appliedValid)
    {
        QUILL_GL(glDepthMask(m_applied[RenderState::ZWriteEnable] ? GL_TRUE : GL_FALSE));
        QUILL_GL(glStencilMask(m_applied[RenderState::StencilWriteMask]));
    }
}

// --- Drawing -------------------------------------------------------------------------------------

bool GlGfxDevice::setupArrays(const uint8_t* base, uint32_t stride, uint32_t vertexCount)
{
    const uint32_t fvf = m_state.vertexShader;
    uint32_t offset = 0;
    const uint32_t position = fvf & Fvf::PositionMask;
    if (position == Fvf::XyzRhw)
    {
        QUILL_GL(glVertexPointer(3, GL_FLOAT, static_cast<GLsizei>(stride), base));
        offset = 16;
    }
    else if (position != 0)
    {
        QUILL_GL(glVertexPointer(3, GL_FLOAT, static_cast<GLsizei>(stride), base));
        // Blend weights follow the position (skinning happens before the device sees them).
        offset = 12 + (position == Fvf::Xyz ? 0 : 4 * ((position - Fvf::XyzB1) / 2 + 1));
    }
    else
        return false;
    QUILL_GL(glEnableClientState(GL_VERTEX_ARRAY));

    if (fvf & Fvf::Normal)
    {
        QUILL_GL(glNormalPointer(GL_FLOAT, static_cast<GLsizei>(stride), base + offset));
        QUILL_GL(glEnableClientState(GL_NORMAL_ARRAY));
        offset += 12;
    }
    else
        QUILL_GL(glDisableClientState(GL_NORMAL_ARRAY));
    if (fvf & Fvf::PointSize)
        offset += 4;
    if (m_state[RenderState::Lighting] != 0 && position != Fvf::XyzRhw)
    {
        // Lit on the CPU, the way the classic pipeline lights: OpenGL's lights lack its range
        // and inner cone.
        lightVertices(m_state, m_state.world[0] * m_state.view, fvf, base, stride, vertexCount,
                      m_colorScratch);
        QUILL_GL(glColorPointer(4, GL_UNSIGNED_BYTE, 0, m_colorScratch.data()));
        QUILL_GL(glEnableClientState(GL_COLOR_ARRAY));
        offset += (fvf & Fvf::Diffuse) ? 4 : 0;
    }
    else if (fvf & Fvf::Diffuse)
    {
        if (m_bgraArrays)
            QUILL_GL(glColorPointer(GL_BGRA, GL_UNSIGNED_BYTE, static_cast<GLsizei>(stride), base + offset));
        else
        {
            m_colorScratch.resize(static_cast<size_t>(vertexCount) * 4);
            for (uint32_t i = 0; i < vertexCount; ++i)
            {
                const uint8_t* from = base + static_cast<size_t>(i) * stride + offset;
                uint8_t* to = m_colorScratch.data() + static_cast<size_t>(i) * 4;
                to[0] = from[2];
                to[1] = from[1];
                to[2] = from[0];
                to[3] = from[3];
            }
            QUILL_GL(glColorPointer(4, GL_UNSIGNED_BYTE, 0, m_colorScratch.data()));
        }
        QUILL_GL(glEnableClientState(GL_COLOR_ARRAY));
        offset += 4;
    }
    else
    {
        // Without vertex colours the diffuse colour is white.
        QUILL_GL(glDisableClientState(GL_COLOR_ARRAY));
        QUILL_GL(glColor4f(1.0f, 1.0f, 1.0f, 1.0f));
    }
    if (fvf & Fvf::Specular)
        offset += 4;
    if (fvf & Fvf::TexCountMask)
    {
        QUILL_GL(glTexCoordPointer(2, GL_FLOAT, static_cast<GLsizei>(stride), base + offset));
        QUILL_GL(glEnableClientState(GL_TEXTURE_COORD_ARRAY));
    }
    else
        QUILL_GL(glDisableClientState(GL_TEXTURE_COORD_ARRAY));
    return true;
}

bool GlGfxDevice::setupShaderArrays(const uint8_t* base, uint32_t stride)
{
    const ShaderRecord* shader = findShader(m_state.vertexShader);
    const auto found = m_programs.find(m_state.vertexShader);
    if (!shader || found == m_programs.end())
        return false;
    QUILL_GL(glDisableClientState(GL_NORMAL_ARRAY));
    QUILL_GL(glDisableClientState(GL_COLOR_ARRAY));
    QUILL_GL(glDisableClientState(GL_TEXTURE_COORD_ARRAY));
    QUILL_GL(glDisableClientState(GL_VERTEX_ARRAY));
    uint32_t offset = 0;
    for (const VertexElement& element : shader->declaration)
    {
        // Floats, one for every four bytes, or a colour's four bytes.
        const uint32_t bytes = vertexElementSize(element.type);
        GLint size = static_cast<GLint>(bytes / 4);
        GLenum type = GL_FLOAT;
        GLboolean normalised = GL_FALSE;
        if (element.type == VertexElementType::Color)
        {
            size = m_bgraArrays ? GL_BGRA : 4;
            type = GL_UNSIGNED_BYTE;
            normalised = GL_TRUE;
        }
        const uint8_t* data = base + offset;
        // The usual bindings of the quad layout, and every register as a generic attribute.
        if (element.reg == 0)
        {
            QUILL_GL(glVertexPointer(size == GL_BGRA ? 4 : size, type, static_cast<GLsizei>(stride), data));
            QUILL_GL(glEnableClientState(GL_VERTEX_ARRAY));
        }
        else if (element.reg == 5 && element.type == VertexElementType::Color)
        {
            QUILL_GL(glColorPointer(size, type, static_cast<GLsizei>(stride), data));
            QUILL_GL(glEnableClientState(GL_COLOR_ARRAY));
        }
        else if (element.reg == 7)
        {
            QUILL_GL(glTexCoordPointer(size == GL_BGRA ? 4 : size, type, static_cast<GLsizei>(stride), data));
            QUILL_GL(glEnableClientState(GL_TEXTURE_COORD_ARRAY));
        }
        if (element.reg != 0)
        {
            QUILL_GL(m_arb->vertexAttribPointer(element.reg, size, type, normalised,
                                                static_cast<GLsizei>(stride), data));
            QUILL_GL(m_arb->enableVertexAttribArray(element.reg));
            m_enabledAttributes |= 1u << element.reg;
        }
        offset += bytes;
    }
    QUILL_GL(glEnable(GL_VERTEX_PROGRAM_ARB));
    if (m_boundProgram != found->second)
    {
        QUILL_GL(m_arb->bindProgram(GL_VERTEX_PROGRAM_ARB, found->second));
        m_boundProgram = found->second;
    }
    if (m_loadedConstants != m_state.shaderConstants)
    {
        for (unsigned i = 0; i < GfxStateShadow::MaxShaderConstants; ++i)
            QUILL_GL(m_arb->programEnvParameter4fv(GL_VERTEX_PROGRAM_ARB, i,
                                                   m_state.shaderConstants.data() + i * 4));
        m_loadedConstants = m_state.shaderConstants;
    }
    // Columns of the pixel-centre and depth correction.
    const float w = static_cast<float>(m_params.backBufferWidth);
    const float h = static_cast<float>(m_params.backBufferHeight);
    QUILL_GL(
        m_arb->programLocalParameter4f(GL_VERTEX_PROGRAM_ARB, 0, 1.0f, 0.0f, 0.0f, PixelShift * 2.0f / w));
    QUILL_GL(
        m_arb->programLocalParameter4f(GL_VERTEX_PROGRAM_ARB, 1, 0.0f, 1.0f, 0.0f, -PixelShift * 2.0f / h));
    QUILL_GL(m_arb->programLocalParameter4f(GL_VERTEX_PROGRAM_ARB, 2, 0.0f, 0.0f, 2.0f, -1.0f));
    QUILL_GL(m_arb->programLocalParameter4f(GL_VERTEX_PROGRAM_ARB, 3, 0.0f, 0.0f, 0.0f, 1.0f));
    return true;
}

void GlGfxDevice::finishArrays()
{
    if (isShaderHandle(m_state.vertexShader))
        QUILL_GL(glDisable(GL_VERTEX_PROGRAM_ARB));
    for (unsigned reg = 0; m_enabledAttributes != 0; ++reg)
        if (m_enabledAttributes & (1u << reg))
        {
            QUILL_GL(m_arb->disableVertexAttribArray(reg));
            m_enabledAttributes &= ~(1u << reg);
        }
}

bool GlGfxDevice::prepareDraw(const uint8_t* base, uint32_t available)
{
    const bool shader = isShaderHandle(m_state.vertexShader);
    flushStates();
    clearDepthStencilWhenTested();
    applyTransforms(!shader && (m_state.vertexShader & Fvf::PositionMask) == Fvf::XyzRhw);
    const uint32_t stride = m_state.streamStride;
    return shader ? setupShaderArrays(base, stride) : setupArrays(base, stride, available);
}

GfxResult GlGfxDevice::drawPrimitive(PrimitiveType type, uint32_t startVertex, uint32_t primitiveCount)
{
    const GfxResult check = checkDraw(type, startVertex, primitiveCount);
    if (gfxFailed(check) || primitiveCount == 0)
        return check;
    const uint32_t vertices = primitiveVertexCount(type, primitiveCount);
    const bool ready = prepareDraw(m_state.stream->data(), startVertex + vertices);
    if (ready)
        QUILL_GL(glDrawArrays(primitiveMode(type), static_cast<GLint>(startVertex),
                              static_cast<GLsizei>(vertices)));
    finishArrays();
    return ready ? GfxError::Ok : GfxError::InvalidCall;
}

GfxResult GlGfxDevice::drawIndexedPrimitive(PrimitiveType type, uint32_t, uint32_t, uint32_t startIndex,
                                            uint32_t primitiveCount)
{
    // The range of vertices is only a hint: the checks read the indices themselves.
    const GfxResult check = checkIndexedDraw(type, startIndex, primitiveCount);
    if (gfxFailed(check) || primitiveCount == 0)
        return check;
    const uint32_t stride = m_state.streamStride;
    const uint8_t* base = m_state.stream->data() + static_cast<size_t>(m_state.baseVertex) * stride;
    // Only the vertices the indices reach are read (and lit or recoloured).
    const uint16_t* indices = reinterpret_cast<const uint16_t*>(m_state.indices->data()) + startIndex;
    const uint32_t indexCount = primitiveVertexCount(type, primitiveCount);
    const uint32_t used = *std::max_element(indices, indices + indexCount) + 1u;
    const bool ready = prepareDraw(base, used);
    if (ready)
    {
        QUILL_GL(glDrawElements(primitiveMode(type), static_cast<GLsizei>(indexCount), GL_UNSIGNED_SHORT,
                                indices));
    }
    finishArrays();
    return ready ? GfxError::Ok : GfxError::InvalidCall;
}

GfxResult GlGfxDevice::readBackBuffer(const PixelRect& rect, std::vector<uint32_t>& pixels)
{
    pixels.clear();
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    if (rect.left < 0 || rect.top < 0 || width <= 0 || height <= 0 || rect.right > m_params.backBufferWidth ||
        rect.bottom > m_params.backBufferHeight)
        return GfxError::InvalidCall;
    if (m_direct)
        QUILL_GL(glReadBuffer(GL_BACK));
    std::vector<uint32_t> rows(static_cast<size_t>(width) * static_cast<size_t>(height));
    QUILL_GL(glPixelStorei(GL_PACK_ALIGNMENT, 4));
    QUILL_GL(glPixelStorei(GL_PACK_ROW_LENGTH, 0));
    // GL counts rows from the bottom.
    QUILL_GL(glReadPixels(rect.left, m_params.backBufferHeight - rect.bottom, width, height, GL_BGRA,
                          GL_UNSIGNED_INT_8_8_8_8_REV, rows.data()));
    pixels.resize(rows.size());
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            // The back buffer has no alpha.
            pixels[static_cast<size_t>(y) * width + x] =
                rows[static_cast<size_t>(height - 1 - y) * width + x] | 0xFF000000u;
    return GfxError::Ok;
}

// --- Resources -----------------------------------------------------------------------------------

std::shared_ptr<GfxTexture> GlGfxDevice::makeTexture(int width, int height, Format format, Pool pool,
                                                     uint32_t usage)
{
    auto texture = std::make_shared<GlTexture>(width, height, format, pool, usage, m_shared);
    return texture;
}

GfxResult GlGfxDevice::onCreateVertexShader(uint32_t handle, const ShaderRecord& shader)
{
    if (!m_vertexPrograms)
        return GfxError::NotAvailable;
    std::string program;
    if (!rewriteProgram(std::string(shader.code.begin(), shader.code.end()), program))
        return GfxError::InvalidData;
    GLuint name = 0;
    QUILL_GL(m_arb->genPrograms(1, &name));
    QUILL_GL(m_arb->bindProgram(GL_VERTEX_PROGRAM_ARB, name));
    // Release builds check no call: what an earlier one left must not be taken for the
    // program's error.
    while (glGetError() != GL_NO_ERROR)
    {
    }
    // GL refuses a program it cannot compile with an error and the error position: an answer
    // read here, not a fault to stop at.
    m_arb->programString(GL_VERTEX_PROGRAM_ARB, GL_PROGRAM_FORMAT_ASCII_ARB,
                         static_cast<GLsizei>(program.size()), program.data());
    GLint errorPosition = -1;
    glGetIntegerv(GL_PROGRAM_ERROR_POSITION_ARB, &errorPosition);
    const bool failed = glGetError() != GL_NO_ERROR || errorPosition != -1;
    QUILL_GL(m_arb->bindProgram(GL_VERTEX_PROGRAM_ARB, m_boundProgram));
    if (failed)
    {
        QUILL_GL(m_arb->deletePrograms(1, &name));
        return GfxError::InvalidData;
    }
    m_programs[handle] = name;
    return GfxError::Ok;
}

void GlGfxDevice::onDeleteVertexShader(uint32_t handle)
{
    const auto found = m_programs.find(handle);
    if (found == m_programs.end())
        return;
    GLuint name = found->second;
    if (m_boundProgram == name)
    {
        QUILL_GL(m_arb->bindProgram(GL_VERTEX_PROGRAM_ARB, 0));
        m_boundProgram = 0;
    }
    QUILL_GL(m_arb->deletePrograms(1, &name));
    m_programs.erase(found);
}

unsigned GlGfxDevice::programName(uint32_t handle) const
{
    const auto found = m_programs.find(handle);
    return found == m_programs.end() ? 0 : found->second;
}

} // namespace Platform
