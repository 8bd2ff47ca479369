#include "platform/gfx/GfxDevice.h"

#include <algorithm>
#include <cstring>

namespace Platform
{

namespace
{

bool isPowerOfTwo(int value)
{
    return value > 0 && (value & (value - 1)) == 0;
}

} // namespace

GfxDevice::GfxDevice(const PresentParams& params) : m_params(params)
{
    m_state.reset(params.autoDepthStencil);
}

GfxDevice::~GfxDevice() = default;

// --- Life cycle ----------------------------------------------------------------------------------

GfxResult GfxDevice::testCooperativeLevel()
{
    return GfxError::Ok;
}

GfxResult GfxDevice::reset(const PresentParams& params)
{
    if (m_inScene || params.backBufferWidth <= 0 || params.backBufferHeight <= 0)
        return GfxError::InvalidCall;
    // What the device itself holds does not count: bindings go with the reset.
    GfxStateShadow defaults;
    defaults.reset(params.autoDepthStencil);
    m_state = defaults;
    m_stateBlocks.clear();
    setClipRect(nullptr);
    if (hasLiveDefaultPoolResources())
        return GfxError::InvalidCall;
    const GfxResult result = onReset(params);
    if (!gfxFailed(result))
        m_params = params;
    return result;
}

GfxResult GfxDevice::beginScene()
{
    if (m_inScene)
        return GfxError::InvalidCall;
    m_inScene = true;
    return GfxError::Ok;
}

GfxResult GfxDevice::endScene()
{
    if (!m_inScene)
        return GfxError::InvalidCall;
    m_inScene = false;
    return GfxError::Ok;
}

GfxResult GfxDevice::setClipRect(const PixelRect* rect)
{
    if (rect && (rect->right <= rect->left || rect->bottom <= rect->top))
        return GfxError::InvalidCall;
    m_clipped = rect != nullptr;
    m_clip = rect ? *rect : PixelRect();
    return GfxError::Ok;
}

bool GfxDevice::hasLiveDefaultPoolResources()
{
    m_defaultPool.erase(std::remove_if(m_defaultPool.begin(), m_defaultPool.end(),
                                       [](const std::weak_ptr<void>& r) { return r.expired(); }),
                        m_defaultPool.end());
    return !m_defaultPool.empty();
}

void GfxDevice::trackDefaultPool(const std::shared_ptr<void>& resource)
{
    m_defaultPool.push_back(resource);
}

// --- States --------------------------------------------------------------------------------------

GfxResult GfxDevice::setRenderState(RenderState state, uint32_t value)
{
    if (static_cast<unsigned>(state) >= RenderStateCount)
        return GfxError::InvalidCall;
    m_state[state] = value;
    return GfxError::Ok;
}

GfxResult GfxDevice::getRenderState(RenderState state, uint32_t& value) const
{
    if (static_cast<unsigned>(state) >= RenderStateCount)
        return GfxError::InvalidCall;
    value = m_state[state];
    return GfxError::Ok;
}

GfxResult GfxDevice::setTextureStageState(unsigned stage, StageState state, uint32_t value)
{
    if (stage >= MaxTextureStages || static_cast<unsigned>(state) >= StageStateCount)
        return GfxError::InvalidCall;
    m_state.stage(stage, state) = value;
    return GfxError::Ok;
}

GfxResult GfxDevice::getTextureStageState(unsigned stage, StageState state, uint32_t& value) const
{
    if (stage >= MaxTextureStages || static_cast<unsigned>(state) >= StageStateCount)
        return GfxError::InvalidCall;
    value = m_state.stage(stage, state);
    return GfxError::Ok;
}

GfxResult GfxDevice::changeRenderState(RenderState state, uint32_t value)
{
    uint32_t current = 0;
    const GfxResult result = getRenderState(state, current);
    if (gfxFailed(result) || current == value)
        return result;
    return setRenderState(state, value);
}

GfxResult GfxDevice::changeTextureStageState(unsigned stage, StageState state, uint32_t value)
{
    uint32_t current = 0;
    const GfxResult result = getTextureStageState(stage, state, current);
    if (gfxFailed(result) || current == value)
        return result;
    return setTextureStageState(stage, state, value);
}

GfxResult GfxDevice::setTexture(unsigned stage, const std::shared_ptr<GfxTexture>& texture)
{
    if (stage >= MaxTextureStages || (texture && texture->pool() == Pool::SystemMem))
        return GfxError::InvalidCall;
    m_state.textures[stage] = texture;
    return GfxError::Ok;
}

const std::shared_ptr<GfxTexture>& GfxDevice::getTexture(unsigned stage) const
{
    static const std::shared_ptr<GfxTexture> none;
    return stage < MaxTextureStages ? m_state.textures[stage] : none;
}

GfxResult GfxDevice::setTransform(TransformType type, const Matrix4& matrix)
{
    switch (type)
    {
    case TransformType::View:
        m_state.view = matrix;
        return GfxError::Ok;
    case TransformType::Projection:
        m_state.projection = matrix;
        return GfxError::Ok;
    case TransformType::World:
        return setWorldMatrix(0, matrix);
    }
    return GfxError::InvalidCall;
}

GfxResult GfxDevice::getTransform(TransformType type, Matrix4& matrix) const
{
    switch (type)
    {
    case TransformType::View:
        matrix = m_state.view;
        return GfxError::Ok;
    case TransformType::Projection:
        matrix = m_state.projection;
        return GfxError::Ok;
    case TransformType::World:
        return getWorldMatrix(0, matrix);
    }
    return GfxError::InvalidCall;
}

GfxResult GfxDevice::setWorldMatrix(unsigned index, const Matrix4& matrix)
{
    if (index >= GfxStateShadow::MaxWorldMatrices)
        return GfxError::InvalidCall;
    if (index >= m_state.world.size())
        m_state.world.resize(index + 1, Matrix4::identity());
    m_state.world[index] = matrix;
    return GfxError::Ok;
}

GfxResult GfxDevice::getWorldMatrix(unsigned index, Matrix4& matrix) const
{
    if (index >= GfxStateShadow::MaxWorldMatrices)
        return GfxError::InvalidCall;
    matrix = index < m_state.world.size() ? m_state.world[index] : Matrix4::identity();
    return GfxError::Ok;
}

GfxResult GfxDevice::setMaterial(const Material& material)
{
    m_state.material = material;
    return GfxError::Ok;
}

GfxResult GfxDevice::getMaterial(Material& material) const
{
    material = m_state.material;
    return GfxError::Ok;
}

GfxResult GfxDevice::setLight(unsigned index, const Light& light)
{
    if (index >= GfxStateShadow::MaxLights)
        return GfxError::InvalidCall;
    m_state.lights[index].light = light;
    return GfxError::Ok;
}

GfxResult GfxDevice::getLight(unsigned index, Light& light) const
{
    if (index >= GfxStateShadow::MaxLights)
        return GfxError::InvalidCall;
    light = m_state.lights[index].light;
    return GfxError::Ok;
}

GfxResult GfxDevice::lightEnable(unsigned index, bool enable)
{
    if (index >= GfxStateShadow::MaxLights)
        return GfxError::InvalidCall;
    m_state.lights[index].enabled = enable;
    return GfxError::Ok;
}

GfxResult GfxDevice::getLightEnable(unsigned index, bool& enable) const
{
    if (index >= GfxStateShadow::MaxLights)
        return GfxError::InvalidCall;
    enable = m_state.lights[index].enabled;
    return GfxError::Ok;
}

GfxResult GfxDevice::setStreamSource(unsigned stream, const std::shared_ptr<GfxVertexBuffer>& buffer,
                                     uint32_t stride)
{
    if (stream != 0)
        return GfxError::InvalidCall;
    m_state.stream = buffer;
    m_state.streamStride = stride;
    return GfxError::Ok;
}

GfxResult GfxDevice::setIndices(const std::shared_ptr<GfxIndexBuffer>& buffer, uint32_t baseVertex)
{
    m_state.indices = buffer;
    m_state.baseVertex = baseVertex;
    return GfxError::Ok;
}

GfxResult GfxDevice::setVertexShader(uint32_t shaderOrFvf)
{
    if (isShaderHandle(shaderOrFvf) ? !findShader(shaderOrFvf) : Fvf::vertexSize(shaderOrFvf) == 0)
        return GfxError::InvalidCall;
    m_state.vertexShader = shaderOrFvf;
    return GfxError::Ok;
}

GfxResult GfxDevice::setVertexShaderConstant(unsigned first, const float* data, unsigned count)
{
    if (!data || first > GfxStateShadow::MaxShaderConstants ||
        count > GfxStateShadow::MaxShaderConstants - first)
        return GfxError::InvalidCall;
    std::memcpy(m_state.shaderConstants.data() + first * 4, data, count * 4 * sizeof(float));
    return GfxError::Ok;
}

// --- Resources -----------------------------------------------------------------------------------

GfxResult GfxDevice::createVertexBuffer(uint32_t size, uint32_t usage, uint32_t fvf, Pool pool,
                                        std::shared_ptr<GfxVertexBuffer>& out)
{
    out.reset();
    if (size == 0)
        return GfxError::InvalidCall;
    try
    {
        out = std::make_shared<GfxVertexBuffer>(size, usage, fvf, pool);
    }
    catch (const std::bad_alloc&)
    {
        return GfxError::OutOfMemory;
    }
    if (pool == Pool::Default)
        trackDefaultPool(out);
    return GfxError::Ok;
}

GfxResult GfxDevice::createIndexBuffer(uint32_t size, uint32_t usage, Format format, Pool pool,
                                       std::shared_ptr<GfxIndexBuffer>& out)
{
    out.reset();
    if (size == 0 || format != Format::Index16)
        return GfxError::InvalidCall;
    try
    {
        out = std::make_shared<GfxIndexBuffer>(size, usage, pool);
    }
    catch (const std::bad_alloc&)
    {
        return GfxError::OutOfMemory;
    }
    if (pool == Pool::Default)
        trackDefaultPool(out);
    return GfxError::Ok;
}

GfxResult GfxDevice::createTexture(int width, int height, unsigned levels, uint32_t usage, Format format,
                                   Pool pool, std::shared_ptr<GfxTexture>& out)
{
    out.reset();
    if (width <= 0 || height <= 0 || levels > 1 || (format != Format::A8R8G8B8 && format != Format::X8R8G8B8))
        return GfxError::InvalidCall;
    if (width > m_maxTextureSize || height > m_maxTextureSize)
        return GfxError::InvalidCall;
    if (m_powerOfTwoOnly && (!isPowerOfTwo(width) || !isPowerOfTwo(height)))
        return GfxError::InvalidCall;
    try
    {
        out = makeTexture(width, height, format, pool, usage);
    }
    catch (const std::bad_alloc&)
    {
        out.reset();
        return GfxError::OutOfMemory;
    }
    if (!out)
        return GfxError::OutOfVideoMemory;
    if (pool == Pool::Default)
        trackDefaultPool(out);
    return GfxError::Ok;
}

std::shared_ptr<GfxTexture> GfxDevice::makeTexture(int width, int height, Format format, Pool pool,
                                                   uint32_t usage)
{
    return std::make_shared<GfxTexture>(width, height, format, pool, usage);
}

GfxResult GfxDevice::createVertexShader(const std::vector<VertexElement>& declaration, const void* code,
                                        size_t size, uint32_t& handle, uint32_t /*usage*/)
{
    handle = 0;
    if (declaration.empty() || (!code && size > 0))
        return GfxError::InvalidCall;
    for (const VertexElement& element : declaration)
        if (vertexElementSize(element.type) == 0 || element.reg >= 16)
            return GfxError::InvalidCall;
    ShaderRecord shader;
    shader.declaration = declaration;
    const uint8_t* bytes = static_cast<const uint8_t*>(code);
    shader.code.assign(bytes, bytes + size);
    const uint32_t candidate = m_nextShader;
    const GfxResult result = onCreateVertexShader(candidate, shader);
    if (gfxFailed(result))
        return result;
    m_nextShader += 2;
    m_shaders.emplace(candidate, std::move(shader));
    handle = candidate;
    return GfxError::Ok;
}

GfxResult GfxDevice::deleteVertexShader(uint32_t handle)
{
    const auto found = m_shaders.find(handle);
    if (found == m_shaders.end())
        return GfxError::InvalidCall;
    if (m_state.vertexShader == handle)
        m_state.vertexShader = 0;
    onDeleteVertexShader(handle);
    m_shaders.erase(found);
    return GfxError::Ok;
}

GfxResult GfxDevice::onCreateVertexShader(uint32_t, const ShaderRecord&)
{
    return GfxError::Ok;
}

void GfxDevice::onDeleteVertexShader(uint32_t) {}

const GfxDevice::ShaderRecord* GfxDevice::findShader(uint32_t handle) const
{
    const auto found = m_shaders.find(handle);
    return found == m_shaders.end() ? nullptr : &found->second;
}

// --- Drawing checks ------------------------------------------------------------------------------

uint32_t GfxDevice::primitiveVertexCount(PrimitiveType type, uint32_t primitiveCount)
{
    if (primitiveCount == 0)
        return 0;
    switch (type)
    {
    case PrimitiveType::PointList:
        return primitiveCount;
    case PrimitiveType::LineList:
        return primitiveCount * 2;
    case PrimitiveType::LineStrip:
        return primitiveCount + 1;
    case PrimitiveType::TriangleList:
        return primitiveCount * 3;
    case PrimitiveType::TriangleStrip:
    case PrimitiveType::TriangleFan:
        return primitiveCount + 2;
    }
    return 0;
}

uint32_t GfxDevice::vertexStride() const
{
    if (isShaderHandle(m_state.vertexShader))
    {
        const ShaderRecord* shader = findShader(m_state.vertexShader);
        uint32_t size = 0;
        if (shader)
            for (const VertexElement& element : shader->declaration)
                size += vertexElementSize(element.type);
        return size;
    }
    return Fvf::vertexSize(m_state.vertexShader);
}

GfxResult GfxDevice::checkDraw(PrimitiveType type, uint32_t startVertex, uint32_t primitiveCount) const
{
    const GfxVertexBuffer* stream = m_state.stream.get();
    const uint32_t stride = m_state.streamStride;
    if (!stream || stream->isLocked() || stride == 0 || stride < vertexStride() || vertexStride() == 0)
        return GfxError::InvalidCall;
    const uint64_t vertices = primitiveVertexCount(type, primitiveCount);
    if ((static_cast<uint64_t>(startVertex) + vertices) * stride > stream->size())
        return GfxError::InvalidCall;
    return GfxError::Ok;
}

GfxResult GfxDevice::checkIndexedDraw(PrimitiveType type, uint32_t startIndex, uint32_t primitiveCount) const
{
    const GfxVertexBuffer* stream = m_state.stream.get();
    const GfxIndexBuffer* indices = m_state.indices.get();
    const uint32_t stride = m_state.streamStride;
    if (!stream || !indices || stream->isLocked() || indices->isLocked() || stride == 0 ||
        vertexStride() == 0 || stride < vertexStride())
        return GfxError::InvalidCall;
    const uint64_t count = primitiveVertexCount(type, primitiveCount);
    if (static_cast<uint64_t>(startIndex) + count > indices->indexCount())
        return GfxError::InvalidCall;
    // Every index must address a whole vertex of the stream: the draws read plain memory.
    const uint64_t vertexCount = stream->size() / stride;
    const uint16_t* first = reinterpret_cast<const uint16_t*>(indices->data()) + startIndex;
    uint32_t highest = 0;
    for (uint64_t i = 0; i < count; ++i)
        highest = std::max<uint32_t>(highest, first[i]);
    if (count > 0 && static_cast<uint64_t>(m_state.baseVertex) + highest >= vertexCount)
        return GfxError::InvalidCall;
    return GfxError::Ok;
}

// --- State blocks --------------------------------------------------------------------------------

GfxResult GfxDevice::createStateBlock(uint32_t& handle)
{
    handle = m_nextStateBlock++;
    m_stateBlocks[handle] = m_state;
    return GfxError::Ok;
}

GfxResult GfxDevice::captureStateBlock(uint32_t handle)
{
    const auto found = m_stateBlocks.find(handle);
    if (found == m_stateBlocks.end())
        return GfxError::InvalidCall;
    found->second = m_state;
    return GfxError::Ok;
}

GfxResult GfxDevice::applyStateBlock(uint32_t handle)
{
    const auto found = m_stateBlocks.find(handle);
    if (found == m_stateBlocks.end())
        return GfxError::InvalidCall;
    // The block's states go through the setters so that a back end sees them as changes.
    const GfxStateShadow& block = found->second;
    for (unsigned i = 0; i < RenderStateCount; ++i)
        if (m_state.render[i] != block.render[i])
            setRenderState(static_cast<RenderState>(i), block.render[i]);
    for (unsigned s = 0; s < MaxTextureStages; ++s)
    {
        for (unsigned i = 0; i < StageStateCount; ++i)
            if (m_state.stages[s][i] != block.stages[s][i])
                setTextureStageState(s, static_cast<StageState>(i), block.stages[s][i]);
        if (m_state.textures[s] != block.textures[s])
            setTexture(s, block.textures[s]);
    }
    const GfxStateShadow copy = block;
    setStreamSource(0, copy.stream, copy.streamStride);
    setIndices(copy.indices, copy.baseVertex);
    if (!isShaderHandle(copy.vertexShader) || findShader(copy.vertexShader))
        m_state.vertexShader = copy.vertexShader;
    setTransform(TransformType::View, copy.view);
    setTransform(TransformType::Projection, copy.projection);
    for (unsigned i = 0; i < copy.world.size(); ++i)
        setWorldMatrix(i, copy.world[i]);
    setMaterial(copy.material);
    for (unsigned i = 0; i < GfxStateShadow::MaxLights; ++i)
    {
        setLight(i, copy.lights[i].light);
        lightEnable(i, copy.lights[i].enabled);
    }
    m_state.shaderConstants = copy.shaderConstants;
    return GfxError::Ok;
}

GfxResult GfxDevice::deleteStateBlock(uint32_t handle)
{
    return m_stateBlocks.erase(handle) ? GfxError::Ok : GfxError::InvalidCall;
}

GfxResult GfxDevice::readBackBuffer(const PixelRect&, std::vector<uint32_t>& pixels)
{
    pixels.clear();
    return GfxError::NotAvailable;
}

} // namespace Platform
