#include "platform/gfx/GfxStateShadow.h"

namespace Platform
{

namespace
{

template <class E> uint32_t v(E value)
{
    return static_cast<uint32_t>(value);
}

} // namespace

void GfxStateShadow::reset(bool depthBuffer)
{
    render.fill(0);
    auto& r = *this;
    r[RenderState::ZEnable] = depthBuffer ? 1 : 0;
    r[RenderState::FillMode] = v(FillMode::Solid);
    r[RenderState::ZWriteEnable] = 1;
    r[RenderState::AlphaTestEnable] = 0;
    r[RenderState::SrcBlend] = v(Blend::One);
    r[RenderState::DestBlend] = v(Blend::Zero);
    r[RenderState::CullMode] = v(CullMode::CounterClockwise);
    r[RenderState::ZFunc] = v(Compare::LessEqual);
    r[RenderState::AlphaRef] = 0;
    r[RenderState::AlphaFunc] = v(Compare::Always);
    r[RenderState::DitherEnable] = 0;
    r[RenderState::AlphaBlendEnable] = 0;
    r[RenderState::SpecularEnable] = 0;
    r[RenderState::StencilEnable] = 0;
    r[RenderState::StencilFail] = v(StencilOp::Keep);
    r[RenderState::StencilZFail] = v(StencilOp::Keep);
    r[RenderState::StencilPass] = v(StencilOp::Keep);
    r[RenderState::StencilFunc] = v(Compare::Always);
    r[RenderState::StencilRef] = 0;
    r[RenderState::StencilMask] = 0xFFFFFFFFu;
    r[RenderState::StencilWriteMask] = 0xFFFFFFFFu;
    r[RenderState::Lighting] = 1;
    r[RenderState::Ambient] = 0;
    r[RenderState::NormalizeNormals] = 0;
    r[RenderState::VertexBlend] = v(VertexBlend::Disable);
    r[RenderState::IndexedVertexBlendEnable] = 0;
    r[RenderState::BlendOp] = v(BlendOp::Add);

    for (unsigned i = 0; i < MaxTextureStages; ++i)
    {
        // The first stage modulates the texture with the diffuse colour and takes the
        // texture's alpha; the others are off.
        stage(i, StageState::ColorOp) = v(i == 0 ? TextureOp::Modulate : TextureOp::Disable);
        stage(i, StageState::ColorArg1) = v(TextureArg::Texture);
        stage(i, StageState::ColorArg2) = v(TextureArg::Current);
        stage(i, StageState::AlphaOp) = v(i == 0 ? TextureOp::SelectArg1 : TextureOp::Disable);
        stage(i, StageState::AlphaArg1) = v(TextureArg::Texture);
        stage(i, StageState::AlphaArg2) = v(TextureArg::Current);
        stage(i, StageState::TexCoordIndex) = i;
        stage(i, StageState::AddressU) = v(TextureAddress::Wrap);
        stage(i, StageState::AddressV) = v(TextureAddress::Wrap);
        stage(i, StageState::MagFilter) = v(TextureFilter::Point);
        stage(i, StageState::MinFilter) = v(TextureFilter::Point);
        stage(i, StageState::MipFilter) = v(TextureFilter::None);
        stage(i, StageState::MaxAnisotropy) = 1;
        textures[i].reset();
    }
    stream.reset();
    streamStride = 0;
    indices.reset();
    baseVertex = 0;
    vertexShader = 0;
    view = Matrix4::identity();
    projection = Matrix4::identity();
    world.assign(1, Matrix4::identity());
    material = Material{};
    lights.fill(GfxLightSlot{});
    shaderConstants.assign(MaxShaderConstants * 4, 0.0f);
}

} // namespace Platform
