#pragma once

#include <cstdint>

// The vocabulary of the graphics device: states, their values, formats, pools and the small
// records that pass through the device's calls. The device has the shape of a classic
// fixed-function 3D device (render states read back and set one by one, buffers and textures
// created in pools and locked for writing, indexed triangle lists) so that the engine's renderer
// can be written against that shape; the OpenGL back end maps it onto OpenGL 2.1.
//
// Numbers are our own except where data files fix them: the vertex format bits (mesh files store
// them), the fill modes and the light types (the constants file stores light types).
namespace Platform
{

enum class RenderState : uint32_t
{
    ZEnable,
    FillMode,
    ZWriteEnable,
    AlphaTestEnable,
    SrcBlend,
    DestBlend,
    CullMode,
    ZFunc,
    AlphaRef,
    AlphaFunc,
    DitherEnable,
    AlphaBlendEnable,
    SpecularEnable,
    StencilEnable,
    StencilFail,
    StencilZFail,
    StencilPass,
    StencilFunc,
    StencilRef,
    StencilMask,
    StencilWriteMask,
    Lighting,
    Ambient,
    NormalizeNormals,
    VertexBlend,
    IndexedVertexBlendEnable,
    BlendOp,
    Count
};

// Sampler and combiner states of one texture stage. Sampler states belong to the stage, not to
// the texture bound to it.
enum class StageState : uint32_t
{
    ColorOp,
    ColorArg1,
    ColorArg2,
    AlphaOp,
    AlphaArg1,
    AlphaArg2,
    TexCoordIndex,
    AddressU,
    AddressV,
    MagFilter,
    MinFilter,
    MipFilter,
    MaxAnisotropy,
    Count
};

constexpr unsigned RenderStateCount = static_cast<unsigned>(RenderState::Count);
constexpr unsigned StageStateCount = static_cast<unsigned>(StageState::Count);
constexpr unsigned MaxTextureStages = 4;

enum class Blend : uint32_t
{
    Zero,
    One,
    SrcColor,
    InvSrcColor,
    SrcAlpha,
    InvSrcAlpha,
    DestAlpha,
    InvDestAlpha,
    DestColor,
    InvDestColor,
    SrcAlphaSat
};

enum class BlendOp : uint32_t
{
    Add,
    Subtract,
    RevSubtract,
    Min,
    Max
};

enum class Compare : uint32_t
{
    Never,
    Less,
    Equal,
    LessEqual,
    Greater,
    NotEqual,
    GreaterEqual,
    Always
};

enum class StencilOp : uint32_t
{
    Keep,
    Zero,
    Replace,
    IncrSat,
    DecrSat,
    Invert,
    Incr,
    Decr
};

// Counter-clockwise culls the triangles that appear counter-clockwise on the screen.
enum class CullMode : uint32_t
{
    None,
    Clockwise,
    CounterClockwise
};

enum class FillMode : uint32_t
{
    Point = 1,
    Wireframe = 2,
    Solid = 3
};

// The number of blend weights per vertex; indexed blending adds the matrix indices.
enum class VertexBlend : uint32_t
{
    Disable = 0,
    Weights1 = 1,
    Weights2 = 2,
    Weights3 = 3
};

enum class TextureOp : uint32_t
{
    Disable,
    SelectArg1,
    SelectArg2,
    Modulate,
    Modulate2x,
    Add
};

enum class TextureArg : uint32_t
{
    Diffuse,
    Current,
    Texture
};

enum class TextureFilter : uint32_t
{
    None,
    Point,
    Linear,
    Anisotropic
};

enum class TextureAddress : uint32_t
{
    Wrap,
    Mirror,
    Clamp
};

enum class Pool : uint32_t
{
    // Video memory: lost with the device, released before every reset.
    Default,
    // Kept by the system and restored by it; survives a reset.
    Managed,
    // Plain memory the device never draws from (read-back surfaces).
    SystemMem
};

enum class Format : uint32_t
{
    Unknown,
    A8R8G8B8,
    X8R8G8B8,
    R5G6B5,
    D24S8,
    D15S1,
    D16,
    Index16
};

// Usage bits of buffers and textures.
namespace Usage
{
constexpr uint32_t WriteOnly = 0x1;
constexpr uint32_t Dynamic = 0x2;
constexpr uint32_t DepthStencil = 0x4;
constexpr uint32_t RenderTarget = 0x8;
} // namespace Usage

// Lock bits.
namespace Lock
{
// The old contents may be thrown away.
constexpr uint32_t Discard = 0x1;
constexpr uint32_t ReadOnly = 0x2;
constexpr uint32_t NoSysLock = 0x4;
constexpr uint32_t NoOverwrite = 0x8;
} // namespace Lock

// What `GfxDevice::clear` clears.
namespace ClearFlag
{
constexpr uint32_t Target = 0x1;
constexpr uint32_t ZBuffer = 0x2;
constexpr uint32_t Stencil = 0x4;
} // namespace ClearFlag

// Vertex format bits. A vertex holds, in this order: the position (three floats, or four for a
// transformed position, or three plus blend weights), the normal, the packed diffuse colour, the
// packed specular colour and the texture coordinate pairs.
namespace Fvf
{
constexpr uint32_t PositionMask = 0x00E;
constexpr uint32_t Xyz = 0x002;
// Already in back-buffer pixels: x, y, z and 1/w; no transform applies.
constexpr uint32_t XyzRhw = 0x004;
constexpr uint32_t XyzB1 = 0x006;
constexpr uint32_t XyzB2 = 0x008;
constexpr uint32_t XyzB3 = 0x00A;
constexpr uint32_t XyzB4 = 0x00C;
constexpr uint32_t XyzB5 = 0x00E;
constexpr uint32_t Normal = 0x010;
constexpr uint32_t PointSize = 0x020;
constexpr uint32_t Diffuse = 0x040;
constexpr uint32_t Specular = 0x080;
constexpr uint32_t TexCountMask = 0xF00;
constexpr uint32_t TexCountShift = 8;
constexpr uint32_t Tex1 = 0x100;
// The last blend weight is four bytes of matrix indices.
constexpr uint32_t LastBetaUByte4 = 0x1000;

// Bytes per vertex of a format; 0 for a format without a position.
uint32_t vertexSize(uint32_t fvf);
} // namespace Fvf

enum class PrimitiveType : uint32_t
{
    PointList,
    LineList,
    LineStrip,
    TriangleList,
    TriangleStrip,
    TriangleFan
};

enum class TransformType : uint32_t
{
    View,
    Projection,
    // World matrix 0; further world matrices (vertex blending) are set by index.
    World
};

enum class LightType : uint32_t
{
    Point = 1,
    Spot = 2,
    Directional = 3
};

enum class PresentInterval : uint32_t
{
    // Waits for the vertical retrace where the system honours it.
    Default,
    Immediate
};

// A matrix of 16 floats row by row; points are row vectors (p' = p x M).
struct Matrix4
{
    float m[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

    static Matrix4 identity() { return Matrix4(); }
    bool operator==(const Matrix4& o) const;
    bool operator!=(const Matrix4& o) const { return !(*this == o); }
    // this x o.
    Matrix4 operator*(const Matrix4& o) const;
};

struct ColorValue
{
    float r = 0.0f;
    float g = 0.0f;
    float b = 0.0f;
    float a = 0.0f;

    bool operator==(const ColorValue& o) const { return r == o.r && g == o.g && b == o.b && a == o.a; }
    bool operator!=(const ColorValue& o) const { return !(*this == o); }
};

struct Vector3f
{
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;

    bool operator==(const Vector3f& o) const { return x == o.x && y == o.y && z == o.z; }
};

struct Material
{
    ColorValue diffuse;
    ColorValue ambient;
    ColorValue specular;
    ColorValue emissive;
    float power = 0.0f;

    bool operator==(const Material& o) const;
    bool operator!=(const Material& o) const { return !(*this == o); }
};

struct Light
{
    LightType type = LightType::Point;
    ColorValue diffuse;
    ColorValue specular;
    ColorValue ambient;
    Vector3f position;
    Vector3f direction;
    float range = 0.0f;
    float falloff = 0.0f;
    float attenuation0 = 0.0f;
    float attenuation1 = 0.0f;
    float attenuation2 = 0.0f;
    float theta = 0.0f;
    float phi = 0.0f;

    bool operator==(const Light& o) const;
};

struct DisplayMode
{
    int width = 0;
    int height = 0;
    int refreshRate = 0;
    Format format = Format::X8R8G8B8;
};

// How the device presents: the back buffer's size and format, window or full screen, the depth
// and stencil buffer.
struct PresentParams
{
    int backBufferWidth = 0;
    int backBufferHeight = 0;
    Format backBufferFormat = Format::Unknown;
    bool windowed = true;
    bool autoDepthStencil = true;
    Format depthStencilFormat = Format::D24S8;
    PresentInterval interval = PresentInterval::Default;
};

struct SurfaceDesc
{
    Format format = Format::Unknown;
    Pool pool = Pool::Managed;
    uint32_t usage = 0;
    int width = 0;
    int height = 0;
};

struct LockedRect
{
    // Bytes from one row to the next.
    int pitch = 0;
    void* bits = nullptr;
};

// A rectangle in pixels; right and bottom are one past the last pixel.
struct PixelRect
{
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

// One input register of a vertex shader and the data that feeds it, in stream order.
enum class VertexElementType : uint32_t
{
    Float1,
    Float2,
    Float3,
    Float4,
    // Four bytes of a packed 0xAARRGGBB colour.
    Color
};

// Bytes of one element of a vertex declaration; 0 for a type that is none of the above.
uint32_t vertexElementSize(VertexElementType type);

struct VertexElement
{
    uint32_t reg = 0;
    VertexElementType type = VertexElementType::Float3;
};

// A vertex shader handle is odd, so it never equals a vertex format (whose lowest bit is never
// set); `setVertexShader` takes either.
constexpr bool isShaderHandle(uint32_t shaderOrFvf)
{
    return (shaderOrFvf & 1u) != 0;
}

} // namespace Platform
