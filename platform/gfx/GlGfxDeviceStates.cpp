// The state half of GlGfxDevice: turning the shadow into GL state before a draw.
#include "platform/gfx/GlGfxDevice.h"

#include "platform/gfx/GlCallError.h"

#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>
#include <GL/glext.h>

#include <algorithm>
#include <cmath>

namespace Platform
{

namespace
{

GLenum blendFactor(uint32_t value)
{
    switch (static_cast<Blend>(value))
    {
    case Blend::Zero:
        return GL_ZERO;
    case Blend::One:
        return GL_ONE;
    case Blend::SrcColor:
        return GL_SRC_COLOR;
    case Blend::InvSrcColor:
        return GL_ONE_MINUS_SRC_COLOR;
    case Blend::SrcAlpha:
        return GL_SRC_ALPHA;
    case Blend::InvSrcAlpha:
        return GL_ONE_MINUS_SRC_ALPHA;
    case Blend::DestAlpha:
        return GL_DST_ALPHA;
    case Blend::InvDestAlpha:
        return GL_ONE_MINUS_DST_ALPHA;
    case Blend::DestColor:
        return GL_DST_COLOR;
    case Blend::InvDestColor:
        return GL_ONE_MINUS_DST_COLOR;
    case Blend::SrcAlphaSat:
        return GL_SRC_ALPHA_SATURATE;
    }
    return GL_ONE;
}

GLenum blendEquation(uint32_t value)
{
    switch (static_cast<BlendOp>(value))
    {
    case BlendOp::Add:
        return GL_FUNC_ADD;
    case BlendOp::Subtract:
        return GL_FUNC_SUBTRACT;
    case BlendOp::RevSubtract:
        return GL_FUNC_REVERSE_SUBTRACT;
    case BlendOp::Min:
        return GL_MIN;
    case BlendOp::Max:
        return GL_MAX;
    }
    return GL_FUNC_ADD;
}

GLenum compareFunction(uint32_t value)
{
    switch (static_cast<Compare>(value))
    {
    case Compare::Never:
        return GL_NEVER;
    case Compare::Less:
        return GL_LESS;
    case Compare::Equal:
        return GL_EQUAL;
    case Compare::LessEqual:
        return GL_LEQUAL;
    case Compare::Greater:
        return GL_GREATER;
    case Compare::NotEqual:
        return GL_NOTEQUAL;
    case Compare::GreaterEqual:
        return GL_GEQUAL;
    case Compare::Always:
        return GL_ALWAYS;
    }
    return GL_ALWAYS;
}

GLenum stencilOperation(uint32_t value)
{
    switch (static_cast<StencilOp>(value))
    {
    case StencilOp::Keep:
        return GL_KEEP;
    case StencilOp::Zero:
        return GL_ZERO;
    case StencilOp::Replace:
        return GL_REPLACE;
    case StencilOp::IncrSat:
        return GL_INCR;
    case StencilOp::DecrSat:
        return GL_DECR;
    case StencilOp::Invert:
        return GL_INVERT;
    case StencilOp::Incr:
        return GL_INCR_WRAP;
    case StencilOp::Decr:
        return GL_DECR_WRAP;
    }
    return GL_KEEP;
}

GLenum combinerSource(uint32_t value)
{
    switch (static_cast<TextureArg>(value))
    {
    case TextureArg::Texture:
        return GL_TEXTURE;
    case TextureArg::Diffuse:
        return GL_PRIMARY_COLOR;
    case TextureArg::Current:
        return GL_PREVIOUS;
    }
    return GL_PREVIOUS;
}

void setEnabled(GLenum capability, bool enabled)
{
    if (enabled)
        QUILL_GL(glEnable(capability));
    else
        QUILL_GL(glDisable(capability));
}

// One combiner function (colour or alpha) of stage 0.
void setCombiner(uint32_t op, uint32_t arg1, uint32_t arg2, GLenum combine, GLenum source0, GLenum source1,
                 GLenum scale)
{
    GLenum function = GL_MODULATE;
    GLenum first = combinerSource(arg1);
    GLenum second = combinerSource(arg2);
    float factor = 1.0f;
    switch (static_cast<TextureOp>(op))
    {
    case TextureOp::Disable:
        function = GL_REPLACE;
        first = GL_PREVIOUS;
        break;
    case TextureOp::SelectArg1:
        function = GL_REPLACE;
        break;
    case TextureOp::SelectArg2:
        function = GL_REPLACE;
        first = second;
        break;
    case TextureOp::Modulate:
        function = GL_MODULATE;
        break;
    case TextureOp::Modulate2x:
        function = GL_MODULATE;
        factor = 2.0f;
        break;
    case TextureOp::Add:
        function = GL_ADD;
        break;
    }
    QUILL_GL(glTexEnvi(GL_TEXTURE_ENV, combine, static_cast<GLint>(function)));
    QUILL_GL(glTexEnvi(GL_TEXTURE_ENV, source0, static_cast<GLint>(first)));
    QUILL_GL(glTexEnvi(GL_TEXTURE_ENV, source1, static_cast<GLint>(second)));
    QUILL_GL(glTexEnvf(GL_TEXTURE_ENV, scale, factor));
}

} // namespace

void GlGfxDevice::flushStates()
{
    const bool all = !m_appliedValid;
    if (all || m_applied.render != m_state.render)
    {
        applyBlendAndTests(all);
        applyRasterStates(all);
    }
    applyCombiner(all);
    applyTexture();
    m_applied.render = m_state.render;
    m_applied.stages[0] = m_state.stages[0];
    m_appliedValid = true;
}

void GlGfxDevice::applyBlendAndTests(bool all)
{
    const GfxStateShadow& s = m_state;
    const GfxStateShadow& a = m_applied;
    auto changed = [&](RenderState state) { return all || a[state] != s[state]; };

    if (changed(RenderState::AlphaBlendEnable))
        setEnabled(GL_BLEND, s[RenderState::AlphaBlendEnable] != 0);
    if (changed(RenderState::SrcBlend) || changed(RenderState::DestBlend))
        QUILL_GL(glBlendFunc(blendFactor(s[RenderState::SrcBlend]), blendFactor(s[RenderState::DestBlend])));
    if (changed(RenderState::BlendOp))
        QUILL_GL(glBlendEquation(blendEquation(s[RenderState::BlendOp])));

    if (changed(RenderState::AlphaTestEnable))
        setEnabled(GL_ALPHA_TEST, s[RenderState::AlphaTestEnable] != 0);
    // The reference is a byte: alpha a passes GREATER r exactly when a / 255 > r / 255.
    if (changed(RenderState::AlphaFunc) || changed(RenderState::AlphaRef))
        QUILL_GL(glAlphaFunc(compareFunction(s[RenderState::AlphaFunc]),
                             static_cast<float>(s[RenderState::AlphaRef] & 0xFFu) / 255.0f));

    if (changed(RenderState::ZEnable))
        setEnabled(GL_DEPTH_TEST, s[RenderState::ZEnable] != 0);
    if (changed(RenderState::ZWriteEnable))
        QUILL_GL(glDepthMask(s[RenderState::ZWriteEnable] ? GL_TRUE : GL_FALSE));
    if (changed(RenderState::ZFunc))
        QUILL_GL(glDepthFunc(compareFunction(s[RenderState::ZFunc])));

    if (changed(RenderState::StencilEnable))
        setEnabled(GL_STENCIL_TEST, s[RenderState::StencilEnable] != 0);
    if (changed(RenderState::StencilFunc) || changed(RenderState::StencilRef) ||
        changed(RenderState::StencilMask))
        QUILL_GL(glStencilFunc(compareFunction(s[RenderState::StencilFunc]),
                               static_cast<GLint>(s[RenderState::StencilRef]), s[RenderState::StencilMask]));
    if (changed(RenderState::StencilWriteMask))
        QUILL_GL(glStencilMask(s[RenderState::StencilWriteMask]));
    if (changed(RenderState::StencilFail) || changed(RenderState::StencilZFail) ||
        changed(RenderState::StencilPass))
        QUILL_GL(glStencilOp(stencilOperation(s[RenderState::StencilFail]),
                             stencilOperation(s[RenderState::StencilZFail]),
                             stencilOperation(s[RenderState::StencilPass])));
}

void GlGfxDevice::applyRasterStates(bool all)
{
    const GfxStateShadow& s = m_state;
    const GfxStateShadow& a = m_applied;
    auto changed = [&](RenderState state) { return all || a[state] != s[state]; };

    if (changed(RenderState::CullMode))
    {
        // The classic device culls by the winding seen on the screen; the projection does not
        // mirror the picture, so GL sees the same winding.
        const CullMode mode = static_cast<CullMode>(s[RenderState::CullMode]);
        setEnabled(GL_CULL_FACE, mode != CullMode::None);
        QUILL_GL(glFrontFace(mode == CullMode::CounterClockwise ? GL_CW : GL_CCW));
        QUILL_GL(glCullFace(GL_BACK));
    }
    if (changed(RenderState::FillMode))
    {
        const FillMode mode = static_cast<FillMode>(s[RenderState::FillMode]);
        QUILL_GL(glPolygonMode(GL_FRONT_AND_BACK, mode == FillMode::Point
                                                      ? GL_POINT
                                                      : (mode == FillMode::Wireframe ? GL_LINE : GL_FILL)));
    }
    // GL's lighting stays off: lit vertices get their colours from `lightVertices`.
    if (changed(RenderState::DitherEnable))
        setEnabled(GL_DITHER, s[RenderState::DitherEnable] != 0);
}

void GlGfxDevice::applyCombiner(bool all)
{
    const auto& s = m_state.stages[0];
    const auto& a = m_applied.stages[0];
    auto changed = [&](StageState state)
    { return all || a[static_cast<unsigned>(state)] != s[static_cast<unsigned>(state)]; };
    auto value = [&](StageState state) { return s[static_cast<unsigned>(state)]; };
    if (!all && !changed(StageState::ColorOp) && !changed(StageState::ColorArg1) &&
        !changed(StageState::ColorArg2) && !changed(StageState::AlphaOp) && !changed(StageState::AlphaArg1) &&
        !changed(StageState::AlphaArg2))
        return;
    QUILL_GL(glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_COMBINE));
    setCombiner(value(StageState::ColorOp), value(StageState::ColorArg1), value(StageState::ColorArg2),
                GL_COMBINE_RGB, GL_SRC0_RGB, GL_SRC1_RGB, GL_RGB_SCALE);
    setCombiner(value(StageState::AlphaOp), value(StageState::AlphaArg1), value(StageState::AlphaArg2),
                GL_COMBINE_ALPHA, GL_SRC0_ALPHA, GL_SRC1_ALPHA, GL_ALPHA_SCALE);
    QUILL_GL(glTexEnvi(GL_TEXTURE_ENV, GL_OPERAND0_RGB, GL_SRC_COLOR));
    QUILL_GL(glTexEnvi(GL_TEXTURE_ENV, GL_OPERAND1_RGB, GL_SRC_COLOR));
    QUILL_GL(glTexEnvi(GL_TEXTURE_ENV, GL_OPERAND0_ALPHA, GL_SRC_ALPHA));
    QUILL_GL(glTexEnvi(GL_TEXTURE_ENV, GL_OPERAND1_ALPHA, GL_SRC_ALPHA));
}

void GlGfxDevice::applyTexture()
{
    GlTexture* texture = static_cast<GlTexture*>(m_state.textures[0].get());
    // Without a texture, or with the stage switched off, the fragment is the diffuse colour.
    const bool enabled = texture && texture->name() != 0 &&
                         static_cast<TextureOp>(m_state.stage(0, StageState::ColorOp)) != TextureOp::Disable;
    if (!m_appliedValid || enabled != m_textureEnabled)
    {
        setEnabled(GL_TEXTURE_2D, enabled);
        m_textureEnabled = enabled;
    }
    if (!enabled)
        return;
    // A picture is decoded and uploaded when it is first drawn.
    texture->realize();
    if (m_shared->boundTexture != texture->name())
    {
        QUILL_GL(glBindTexture(GL_TEXTURE_2D, texture->name()));
        m_shared->boundTexture = texture->name();
    }
    applySampler(*texture);
}

void GlGfxDevice::applySampler(GlTexture& texture)
{
    auto filter = [](uint32_t value)
    {
        const TextureFilter f = static_cast<TextureFilter>(value);
        return (f == TextureFilter::Linear || f == TextureFilter::Anisotropic) ? GL_LINEAR : GL_NEAREST;
    };
    auto wrap = [](uint32_t value)
    {
        switch (static_cast<TextureAddress>(value))
        {
        case TextureAddress::Mirror:
            return GL_MIRRORED_REPEAT;
        case TextureAddress::Clamp:
            return GL_CLAMP_TO_EDGE;
        case TextureAddress::Wrap:
            break;
        }
        return GL_REPEAT;
    };
    const GfxStateShadow& s = m_state;
    GlTexture::Sampler wanted;
    wanted.magFilter = filter(s.stage(0, StageState::MagFilter));
    wanted.minFilter = filter(s.stage(0, StageState::MinFilter));
    wanted.wrapS = wrap(s.stage(0, StageState::AddressU));
    wanted.wrapT = wrap(s.stage(0, StageState::AddressV));
    const bool anisotropic =
        static_cast<TextureFilter>(s.stage(0, StageState::MinFilter)) == TextureFilter::Anisotropic ||
        static_cast<TextureFilter>(s.stage(0, StageState::MagFilter)) == TextureFilter::Anisotropic;
    wanted.anisotropy =
        anisotropic ? static_cast<float>(std::max<uint32_t>(1, s.stage(0, StageState::MaxAnisotropy))) : 1.0f;

    GlTexture::Sampler& held = texture.sampler();
    if (held.magFilter != wanted.magFilter)
        QUILL_GL(glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, wanted.magFilter));
    if (held.minFilter != wanted.minFilter)
        QUILL_GL(glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, wanted.minFilter));
    if (held.wrapS != wanted.wrapS)
        QUILL_GL(glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, wanted.wrapS));
    if (held.wrapT != wanted.wrapT)
        QUILL_GL(glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, wanted.wrapT));
    if (m_anisotropic && held.anisotropy != wanted.anisotropy)
        QUILL_GL(glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MAX_ANISOTROPY_EXT, wanted.anisotropy));
    held = wanted;
}

void GlGfxDevice::applyTransforms(bool pretransformed)
{
    const float w = static_cast<float>(m_params.backBufferWidth);
    const float h = static_cast<float>(m_params.backBufferHeight);
    Matrix4 correction;
    correction.m[10] = 2.0f;
    correction.m[12] = PixelShift * 2.0f / w;
    correction.m[13] = -PixelShift * 2.0f / h;
    correction.m[14] = -1.0f;

    Matrix4 projection;
    Matrix4 modelView;
    if (pretransformed)
    {
        // Vertices already in back-buffer pixels, depth 0..1.
        Matrix4 pixels;
        pixels.m[0] = 2.0f / w;
        pixels.m[5] = -2.0f / h;
        pixels.m[12] = -1.0f;
        pixels.m[13] = 1.0f;
        projection = pixels * correction;
    }
    else
    {
        projection = m_state.projection * correction;
        modelView = m_state.world[0] * m_state.view;
    }
    if (!m_transformsValid || projection != m_loadedProjection)
    {
        QUILL_GL(glMatrixMode(GL_PROJECTION));
        QUILL_GL(glLoadMatrixf(projection.m));
        m_loadedProjection = projection;
    }
    if (!m_transformsValid || modelView != m_loadedModelView)
    {
        QUILL_GL(glMatrixMode(GL_MODELVIEW));
        QUILL_GL(glLoadMatrixf(modelView.m));
        m_loadedModelView = modelView;
    }
    m_transformsValid = true;
    m_pretransformedLoaded = pretransformed;
}

} // namespace Platform
