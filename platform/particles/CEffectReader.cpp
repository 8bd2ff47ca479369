// Effect files
// ============
//
// An effect file is XML (UTF-8, or UTF-16 with its byte-order mark) with one root element:
//
//   <PyroEffect Version="1">
//     <Texture Name="glow" Shape="softdot" Size="32"/>
//     <Texture Name="sparks" Png="iVBORw0KGgo..." Columns="2" Rows="2"/>
//     <Emitter Name="Fountain" Seed="7" Texture="glow" Blend="add" MaxParticles="200" Rate="60"
//              Life="0.8" LifeVar="0.2" Speed="90" SpeedVar="30" Angle="270" Spread="50"
//              GravityY="160" SizeStart="10" SizeEnd="2" ColorStart="FFFFE080" ColorEnd="00FF4000"/>
//     <Emitter Name="Burst" Texture="glow">
//       <Layer Burst="40" Life="0.5" Speed="120" Spread="360"/>
//       <Layer Texture="sparks" Frame="0" FrameCount="4" Rate="20" Delay="0.2" EmitTime="1"/>
//     </Emitter>
//   </PyroEffect>
//
// PyroEffect: Version (optional, only 1). Its children are Texture and Emitter elements, in any
// order; names are unique within their kind and matched exactly.
//
// Texture: Name (required) and exactly one picture:
//   Shape   "square", "dot", "softdot", "ring" or "star": a white picture with the shape in its
//           alpha, Size pixels square (Size 1..1024, default 32);
//   Png     a PNG file in base64 (at most 1024 pixels a side).
// Columns, Rows (1..64, default 1): the picture is a grid of that many equal cells, numbered row
// by row from the top left; no more cells than pixels along either side.
//
// Emitter: Name (required), Seed (0..4294967295; default: a hash of the name), and either the
// attributes of one layer, or Layer children: each Layer starts from the attributes given on its
// Emitter and overrides them with its own. At most 16 layers; emitters are numbered in file
// order (the engine plays number 0 of a file unless it asks for one by name).
//
// Layer attributes (all optional; times in seconds, distances and sizes in the engine's units at
// scale 1, angles in degrees on the screen with y pointing down, so 270 is up):
//   Texture       a Texture's Name; without one the particles are soft white dots
//   Blend         "alpha" (default) or "add"
//   MaxParticles  1..16384, default 100: particles alive at once; later ones are not born
//   Rate          particles per second while emitting (0..100000)
//   Burst         particles born at once when the layer starts (0..MaxParticles)
//   Delay         seconds from the effect's start before the layer starts
//   EmitTime      seconds the layer emits once started; 0 (default) = as long as it is asked to
//   Life LifeVar  a particle's life: Life ± LifeVar (Life > 0, default 1)
//   Speed SpeedVar Angle Spread
//                 initial speed Speed ± SpeedVar, direction Angle ± Spread / 2 (default 270)
//   GravityX GravityY
//                 acceleration, units per second squared
//   Drag          the fraction of its speed a particle loses per second (0..100)
//   SizeStart SizeEnd SizeVar
//                 size at birth and at death (default 8), each particle's scaled by 1 ± SizeVar
//                 (0..1)
//   Rotation RotationVar Spin SpinVar
//                 initial angle and turning speed (degrees per second)
//   ColorStart ColorEnd
//                 AARRGGBB (or RRGGBB, opaque) in hexadecimal, blended over the life; they
//                 multiply the texture
//   AreaX AreaY   particles are born within ± these distances of the emitting point
//   Frame FrameCount
//                 the first texture cell and how many cells a particle steps through over its
//                 life (default 0 and 1); they must lie within the texture's cells
// Numbers are decimal with an optional fraction and exponent, within ±1000000. Unknown elements
// and attributes are errors, so that a misspelt name never goes unnoticed.

#include "platform/particles/CEffectReader.h"

#include "platform/image/PngCodec.h"
#include "platform/particles/Base64.h"
#include "platform/particles/CPyroException.h"
#include "platform/particles/IPyroFile.h"
#include "platform/particles/TextureShapes.h"

#include <expat.h>

#include <charconv>
#include <cmath>
#include <map>
#include <memory>
#include <set>
#include <type_traits>

namespace PyroParticles
{

namespace
{

static_assert(sizeof(XML_Char) == 2, "the effect reader expects Expat's UTF-16 build");

constexpr uint32_t kMaxTextures = 64;
constexpr uint32_t kMaxEmitters = 256;
constexpr uint32_t kMaxLayers = 16;
constexpr uint32_t kMaxTextureSide = 1024;
// All textures of one file together.
constexpr uint64_t kMaxTexturePixels = 4u * 1024u * 1024u;
constexpr uint32_t kMaxCells = 64;
constexpr uint32_t kMaxParticles = 16384;
constexpr size_t kMaxElements = 10000;
constexpr int kMaxDepth = 3;
constexpr float kMaxNumber = 1000000.0f;

struct sElement
{
    std::string name;
    std::vector<std::pair<std::string, std::string>> attributes;
    std::vector<sElement> children;
    unsigned long line = 0;
};

std::string toUtf8(const XML_Char* text, size_t length)
{
    std::string out;
    out.reserve(length);
    for (size_t i = 0; i < length; ++i)
    {
        uint32_t c = static_cast<uint16_t>(text[i]);
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < length)
        {
            const uint32_t low = static_cast<uint16_t>(text[i + 1]);
            if (low >= 0xDC00 && low < 0xE000)
            {
                c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
                ++i;
            }
        }
        if (c < 0x80)
        {
            out.push_back(static_cast<char>(c));
        }
        else if (c < 0x800)
        {
            out.push_back(static_cast<char>(0xC0 | (c >> 6)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
        else if (c < 0x10000)
        {
            out.push_back(static_cast<char>(0xE0 | (c >> 12)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
        else
        {
            out.push_back(static_cast<char>(0xF0 | (c >> 18)));
            out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }
    return out;
}

std::string toUtf8(const XML_Char* text)
{
    size_t length = 0;
    while (text[length] != 0)
        ++length;
    return toUtf8(text, length);
}

// Builds the element tree while Expat parses; stops the parser at the first broken limit.
class cTreeBuilder
{
public:
    explicit cTreeBuilder(XML_Parser parser) : m_parser(parser) {}

    static void XMLCALL onStart(void* self, const XML_Char* name, const XML_Char** attributes)
    {
        static_cast<cTreeBuilder*>(self)->start(name, attributes);
    }
    static void XMLCALL onEnd(void* self, const XML_Char*)
    {
        auto* builder = static_cast<cTreeBuilder*>(self);
        if (builder->m_limitError.empty() && !builder->m_open.empty())
            builder->m_open.pop_back();
    }

    sElement& root() { return m_root; }
    bool hasRoot() const { return m_hasRoot; }
    const std::string& limitError() const { return m_limitError; }

private:
    void start(const XML_Char* name, const XML_Char** attributes)
    {
        if (!m_limitError.empty())
            return;
        if (++m_count > kMaxElements)
            return stop("more than " + std::to_string(kMaxElements) + " elements");
        sElement* element = nullptr;
        if (m_open.empty())
        {
            element = &m_root;
            m_hasRoot = true;
        }
        else
        {
            if (static_cast<int>(m_open.size()) >= kMaxDepth)
                return stop("elements nested too deeply");
            m_open.back()->children.emplace_back();
            element = &m_open.back()->children.back();
        }
        element->name = toUtf8(name);
        element->line = XML_GetCurrentLineNumber(m_parser);
        for (size_t i = 0; attributes[i] != nullptr; i += 2)
            element->attributes.emplace_back(toUtf8(attributes[i]), toUtf8(attributes[i + 1]));
        m_open.push_back(element);
    }

    void stop(const std::string& why)
    {
        m_limitError = why + " (line " + std::to_string(XML_GetCurrentLineNumber(m_parser)) + ")";
        XML_StopParser(m_parser, XML_FALSE);
    }

    XML_Parser m_parser;
    sElement m_root;
    bool m_hasRoot = false;
    // Pointers stay valid: a parent's children only grow while the child is the last one open.
    std::vector<sElement*> m_open;
    size_t m_count = 0;
    std::string m_limitError;
};

struct cParserDeleter
{
    void operator()(XML_ParserStruct* parser) const { XML_ParserFree(parser); }
};

// The attributes of one element; each is taken once, and those nobody took are errors.
class cAttributes
{
public:
    cAttributes(const sElement& element, std::string where, const std::string& fileName)
        : m_where(std::move(where)), m_fileName(fileName)
    {
        for (const auto& attribute : element.attributes)
            m_values[attribute.first] = attribute.second;
        m_where += " (line " + std::to_string(element.line) + ")";
    }

    bool has(const std::string& name) const { return m_values.count(name) != 0; }

    const std::string* take(const std::string& name)
    {
        auto it = m_values.find(name);
        if (it == m_values.end())
            return nullptr;
        m_taken.insert(name);
        return &it->second;
    }

    void checkAllTaken() const
    {
        for (const auto& value : m_values)
        {
            if (m_taken.count(value.first) == 0)
                fail("unknown attribute \"" + value.first + "\"");
        }
    }

    [[noreturn]] void fail(const std::string& what) const
    {
        throw CPyroException("Effect file \"" + m_fileName + "\": " + m_where + ": " + what);
    }

    float number(const std::string& name, const std::string& text, float min, float max) const
    {
        const char* begin = text.data();
        const char* end = text.data() + text.size();
        while (begin < end && *begin == ' ')
            ++begin;
        while (end > begin && end[-1] == ' ')
            --end;
        if (begin < end && *begin == '+')
            ++begin;
        float value = 0.0f;
        const auto result = std::from_chars(begin, end, value);
        if (begin == end || result.ec != std::errc() || result.ptr != end || !std::isfinite(value))
            fail("\"" + name + "\" is not a number: \"" + text + "\"");
        if (value < min || value > max)
            fail("\"" + name + "\" is " + text + ", outside " + shortNumber(min) + ".." + shortNumber(max));
        return value;
    }

    uint32_t integer(const std::string& name, const std::string& text, uint32_t min, uint32_t max) const
    {
        const char* begin = text.data();
        const char* end = text.data() + text.size();
        while (begin < end && *begin == ' ')
            ++begin;
        while (end > begin && end[-1] == ' ')
            --end;
        uint64_t value = 0;
        const auto result = std::from_chars(begin, end, value);
        if (begin == end || result.ec != std::errc() || result.ptr != end)
            fail("\"" + name + "\" is not a whole number: \"" + text + "\"");
        if (value < min || value > max)
            fail("\"" + name + "\" is " + text + ", outside " + std::to_string(min) + ".." +
                 std::to_string(max));
        return static_cast<uint32_t>(value);
    }

    uint32_t color(const std::string& name, const std::string& text) const
    {
        uint32_t value = 0;
        const char* begin = text.data();
        const char* end = text.data() + text.size();
        const auto result = std::from_chars(begin, end, value, 16);
        const size_t digits = text.size();
        if (result.ec != std::errc() || result.ptr != end || (digits != 6 && digits != 8))
            fail("\"" + name + "\" is not a colour (AARRGGBB or RRGGBB): \"" + text + "\"");
        return digits == 6 ? (0xFF000000u | value) : value;
    }

    const std::string& where() const { return m_where; }

private:
    static std::string shortNumber(float v)
    {
        if (v == std::floor(v) && std::fabs(v) < 1e9f)
            return std::to_string(static_cast<long long>(v));
        char buffer[32];
        const auto result = std::to_chars(buffer, buffer + sizeof(buffer), v);
        return std::string(buffer, result.ptr);
    }

    std::string m_where;
    const std::string& m_fileName;
    std::map<std::string, std::string> m_values;
    std::set<std::string> m_taken;
};

uint32_t hashName(const std::string& name)
{
    uint32_t hash = 2166136261u;
    for (unsigned char c : name)
    {
        hash ^= c;
        hash *= 16777619u;
    }
    return hash;
}

// A layer attribute as read, before texture names are known.
struct sLayerSource
{
    sLayerDesc desc;
    std::string texture;
    bool hasTexture = false;
};

void readLayerAttributes(cAttributes& a, sLayerSource& layer)
{
    struct sFloatField
    {
        const char* name;
        float sLayerDesc::*field;
        float min;
        float max;
    };
    static const sFloatField floats[] = {
        {"Rate", &sLayerDesc::rate, 0.0f, 100000.0f},
        {"Delay", &sLayerDesc::delay, 0.0f, kMaxNumber},
        {"EmitTime", &sLayerDesc::emitTime, 0.0f, kMaxNumber},
        {"Life", &sLayerDesc::life, 0.001f, kMaxNumber},
        {"LifeVar", &sLayerDesc::lifeVar, 0.0f, kMaxNumber},
        {"Speed", &sLayerDesc::speed, -kMaxNumber, kMaxNumber},
        {"SpeedVar", &sLayerDesc::speedVar, 0.0f, kMaxNumber},
        {"Angle", &sLayerDesc::angle, -kMaxNumber, kMaxNumber},
        {"Spread", &sLayerDesc::spread, 0.0f, 360.0f},
        {"GravityX", &sLayerDesc::gravityX, -kMaxNumber, kMaxNumber},
        {"GravityY", &sLayerDesc::gravityY, -kMaxNumber, kMaxNumber},
        {"Drag", &sLayerDesc::drag, 0.0f, 100.0f},
        {"SizeStart", &sLayerDesc::sizeStart, 0.0f, 4096.0f},
        {"SizeEnd", &sLayerDesc::sizeEnd, 0.0f, 4096.0f},
        {"SizeVar", &sLayerDesc::sizeVar, 0.0f, 1.0f},
        {"Rotation", &sLayerDesc::rotation, -kMaxNumber, kMaxNumber},
        {"RotationVar", &sLayerDesc::rotationVar, 0.0f, kMaxNumber},
        {"Spin", &sLayerDesc::spin, -kMaxNumber, kMaxNumber},
        {"SpinVar", &sLayerDesc::spinVar, 0.0f, kMaxNumber},
        {"AreaX", &sLayerDesc::areaX, 0.0f, kMaxNumber},
        {"AreaY", &sLayerDesc::areaY, 0.0f, kMaxNumber},
    };
    for (const auto& f : floats)
    {
        if (const std::string* text = a.take(f.name))
            layer.desc.*f.field = a.number(f.name, *text, f.min, f.max);
    }
    if (const std::string* text = a.take("MaxParticles"))
        layer.desc.maxParticles = a.integer("MaxParticles", *text, 1, kMaxParticles);
    if (const std::string* text = a.take("Burst"))
        layer.desc.burst = a.integer("Burst", *text, 0, kMaxParticles);
    if (const std::string* text = a.take("Frame"))
        layer.desc.frame = a.integer("Frame", *text, 0, kMaxCells * kMaxCells);
    if (const std::string* text = a.take("FrameCount"))
        layer.desc.frameCount = a.integer("FrameCount", *text, 1, kMaxCells * kMaxCells);
    if (const std::string* text = a.take("ColorStart"))
        layer.desc.colorStart = a.color("ColorStart", *text);
    if (const std::string* text = a.take("ColorEnd"))
        layer.desc.colorEnd = a.color("ColorEnd", *text);
    if (const std::string* text = a.take("Blend"))
    {
        if (*text == "alpha")
            layer.desc.blend = eBlendMode::Alpha;
        else if (*text == "add")
            layer.desc.blend = eBlendMode::Add;
        else
            a.fail("\"Blend\" is \"" + *text + "\", not \"alpha\" or \"add\"");
    }
    if (const std::string* text = a.take("Texture"))
    {
        layer.texture = *text;
        layer.hasTexture = true;
    }
}

class cEffectBuilder
{
public:
    explicit cEffectBuilder(const std::string& fileName) : m_fileName(fileName)
    {
        m_effect.fileName = fileName;
    }

    sEffectDesc build(const sElement& root)
    {
        if (root.name != "PyroEffect")
            fail("the root element is <" + root.name + ">, not <PyroEffect>");
        cAttributes a(root, "<PyroEffect>", m_fileName);
        if (const std::string* version = a.take("Version"))
            a.integer("Version", *version, 1, 1);
        a.checkAllTaken();

        for (const sElement& child : root.children)
        {
            if (child.name == "Texture")
                readTexture(child);
            else if (child.name != "Emitter")
                fail("unknown element <" + child.name + "> (line " + std::to_string(child.line) + ")");
        }
        for (const sElement& child : root.children)
        {
            if (child.name == "Emitter")
                readEmitter(child);
        }
        if (m_effect.emitters.empty())
            fail("no <Emitter>");
        return std::move(m_effect);
    }

private:
    [[noreturn]] void fail(const std::string& what) const
    {
        throw CPyroException("Effect file \"" + m_fileName + "\": " + what);
    }

    // The attributes of a <Texture> or <Emitter> (`tag`), told by its kind and "Name" once that
    // is read: the name must be given and not empty.
    cAttributes namedAttributes(const sElement& element, const char* tag, const char* kind,
                                std::string& name) const
    {
        cAttributes a(element, tag, m_fileName);
        const std::string* given = a.take("Name");
        if (!given || given->empty())
            a.fail("no \"Name\"");
        name = *given;
        cAttributes named(element, std::string(kind) + " \"" + name + "\"", m_fileName);
        named.take("Name");
        return named;
    }

    void readTexture(const sElement& element)
    {
        if (m_effect.textures.size() >= kMaxTextures)
            fail("more than " + std::to_string(kMaxTextures) + " textures");
        std::string name;
        cAttributes named = namedAttributes(element, "<Texture>", "texture", name);
        if (m_textureIndex.count(name) != 0)
            named.fail("a second texture of that name");
        if (!element.children.empty())
            named.fail("a texture has no child elements");

        sTextureDesc texture;
        texture.name = name;
        const std::string* shape = named.take("Shape");
        const std::string* png = named.take("Png");
        const std::string* size = named.take("Size");
        if ((shape != nullptr) == (png != nullptr))
            named.fail("exactly one of \"Shape\" and \"Png\" is needed");
        if (shape)
        {
            eTextureShape kind;
            if (!shapeFromName(*shape, kind))
                named.fail("unknown \"Shape\" \"" + *shape + "\"");
            const uint32_t side = size ? named.integer("Size", *size, 1, kMaxTextureSide) : 32;
            texture.width = texture.height = side;
            addPixels(named, texture);
            texture.rgba = makeShape(kind, side);
        }
        else
        {
            if (size)
                named.fail("\"Size\" goes only with \"Shape\"");
            decodePicture(named, *png, texture);
        }
        if (const std::string* text = named.take("Columns"))
            texture.columns = named.integer("Columns", *text, 1, kMaxCells);
        if (const std::string* text = named.take("Rows"))
            texture.rows = named.integer("Rows", *text, 1, kMaxCells);
        if (texture.columns > texture.width || texture.rows > texture.height)
            named.fail("more cells than pixels");
        named.checkAllTaken();
        m_textureIndex[texture.name] = static_cast<uint32_t>(m_effect.textures.size());
        m_effect.textures.push_back(std::move(texture));
    }

    void addPixels(const cAttributes& a, const sTextureDesc& texture)
    {
        m_pixels += static_cast<uint64_t>(texture.width) * texture.height;
        if (m_pixels > kMaxTexturePixels)
            a.fail("the textures of the file have more than " + std::to_string(kMaxTexturePixels) +
                   " pixels");
    }

    void decodePicture(const cAttributes& a, const std::string& base64, sTextureDesc& texture)
    {
        std::vector<uint8_t> bytes;
        if (!decodeBase64(base64, bytes))
            a.fail("\"Png\" is not base64");
        Platform::ImageLimits limits;
        limits.maxSide = kMaxTextureSide;
        limits.maxPixels = kMaxTexturePixels;
        Platform::Image image;
        try
        {
            image = Platform::decodePng(bytes.data(), bytes.size(), limits);
        }
        catch (const Platform::ImageError& error)
        {
            a.fail(std::string("\"Png\" is not a usable PNG picture: ") + error.what());
        }
        texture.width = image.width;
        texture.height = image.height;
        addPixels(a, texture);
        // The decoder gives blue, green, red, alpha; the device takes red, green, blue, alpha.
        texture.rgba = std::move(image.pixels);
        for (size_t i = 0; i + 3 < texture.rgba.size(); i += 4)
            std::swap(texture.rgba[i], texture.rgba[i + 2]);
    }

    void readEmitter(const sElement& element)
    {
        if (m_effect.emitters.size() >= kMaxEmitters)
            fail("more than " + std::to_string(kMaxEmitters) + " emitters");
        std::string name;
        cAttributes named = namedAttributes(element, "<Emitter>", "emitter", name);
        for (const sEmitterDesc& other : m_effect.emitters)
        {
            if (other.name == name)
                named.fail("a second emitter of that name");
        }
        sEmitterDesc emitter;
        emitter.name = name;
        emitter.seed = hashName(name);
        if (const std::string* seed = named.take("Seed"))
            emitter.seed = named.integer("Seed", *seed, 0, 0xFFFFFFFFu);

        sLayerSource base;
        readLayerAttributes(named, base);
        named.checkAllTaken();

        if (element.children.empty())
        {
            emitter.layers.push_back(finishLayer(named, base));
        }
        else
        {
            if (element.children.size() > kMaxLayers)
                named.fail("more than " + std::to_string(kMaxLayers) + " layers");
            for (size_t i = 0; i < element.children.size(); ++i)
            {
                const sElement& child = element.children[i];
                if (child.name != "Layer")
                    named.fail("unknown element <" + child.name + "> (line " + std::to_string(child.line) +
                               ")");
                cAttributes la(child, "emitter \"" + name + "\", layer " + std::to_string(i), m_fileName);
                sLayerSource layer = base;
                readLayerAttributes(la, layer);
                la.checkAllTaken();
                emitter.layers.push_back(finishLayer(la, layer));
            }
        }
        m_effect.emitters.push_back(std::move(emitter));
    }

    // Resolves the texture and checks what depends on more than one attribute.
    sLayerDesc finishLayer(const cAttributes& a, sLayerSource& layer)
    {
        sLayerDesc& desc = layer.desc;
        if (layer.hasTexture)
        {
            auto it = m_textureIndex.find(layer.texture);
            if (it == m_textureIndex.end())
                a.fail("no texture named \"" + layer.texture + "\"");
            desc.texture = it->second;
        }
        else
        {
            desc.texture = defaultTexture(a);
        }
        if (desc.burst > desc.maxParticles)
            a.fail("\"Burst\" " + std::to_string(desc.burst) + " is more than \"MaxParticles\" " +
                   std::to_string(desc.maxParticles));
        const sTextureDesc& texture = m_effect.textures[desc.texture];
        const uint64_t cells = static_cast<uint64_t>(texture.columns) * texture.rows;
        if (desc.frame >= cells || desc.frame + static_cast<uint64_t>(desc.frameCount) > cells)
            a.fail("frames " + std::to_string(desc.frame) + ".." +
                   std::to_string(desc.frame + static_cast<uint64_t>(desc.frameCount) - 1) +
                   " are outside the " + std::to_string(cells) + " cells of texture \"" + texture.name +
                   "\"");
        return desc;
    }

    // The soft dot used by layers that name no texture, added once.
    uint32_t defaultTexture(const cAttributes& a)
    {
        if (m_defaultTexture < 0)
        {
            if (m_effect.textures.size() >= kMaxTextures)
                fail("more than " + std::to_string(kMaxTextures) + " textures");
            sTextureDesc texture;
            // Not a name a file can use: Name attributes are matched exactly and this one is
            // never looked up.
            texture.name = "(soft dot)";
            texture.width = texture.height = 32;
            addPixels(a, texture);
            texture.rgba = makeShape(eTextureShape::SoftDot, 32);
            m_defaultTexture = static_cast<int>(m_effect.textures.size());
            m_effect.textures.push_back(std::move(texture));
        }
        return static_cast<uint32_t>(m_defaultTexture);
    }

    const std::string& m_fileName;
    sEffectDesc m_effect;
    std::map<std::string, uint32_t> m_textureIndex;
    int m_defaultTexture = -1;
    uint64_t m_pixels = 0;
};

} // namespace

CEffectReader::CEffectReader(std::string fileName) : m_fileName(std::move(fileName)) {}

sEffectDesc CEffectReader::read(IPyroFile& file)
{
    std::vector<char> bytes;
    char chunk[65536];
    for (;;)
    {
        const int got = file.read(chunk, sizeof(chunk));
        if (got < 0)
            throw CPyroException("Effect file \"" + m_fileName + "\": the file cannot be read");
        if (got == 0)
            break;
        if (static_cast<size_t>(got) > sizeof(chunk) ||
            bytes.size() + static_cast<size_t>(got) > kMaxFileSize)
            throw CPyroException("Effect file \"" + m_fileName + "\": larger than " +
                                 std::to_string(kMaxFileSize) + " bytes");
        bytes.insert(bytes.end(), chunk, chunk + got);
    }
    return parse(bytes.data(), bytes.size());
}

sEffectDesc CEffectReader::parse(const char* data, size_t size)
{
    if (size == 0)
        throw CPyroException("Effect file \"" + m_fileName + "\": the file is empty");
    if (size > kMaxFileSize)
        throw CPyroException("Effect file \"" + m_fileName + "\": larger than " +
                             std::to_string(kMaxFileSize) + " bytes");
    std::unique_ptr<XML_ParserStruct, cParserDeleter> parser(XML_ParserCreate(nullptr));
    if (!parser)
        throw CPyroException("Effect file \"" + m_fileName + "\": out of memory");
    cTreeBuilder builder(parser.get());
    XML_SetUserData(parser.get(), &builder);
    XML_SetElementHandler(parser.get(), &cTreeBuilder::onStart, &cTreeBuilder::onEnd);
    const XML_Status status = XML_Parse(parser.get(), data, static_cast<int>(size), XML_TRUE);
    if (!builder.limitError().empty())
        throw CPyroException("Effect file \"" + m_fileName + "\": " + builder.limitError());
    if (status != XML_STATUS_OK)
    {
        throw CPyroException("Effect file \"" + m_fileName +
                             "\": " + XML_ErrorString(XML_GetErrorCode(parser.get())) + " (line " +
                             std::to_string(XML_GetCurrentLineNumber(parser.get())) + ")");
    }
    if (!builder.hasRoot())
        throw CPyroException("Effect file \"" + m_fileName + "\": no root element");
    return cEffectBuilder(m_fileName).build(builder.root());
}

} // namespace PyroParticles
