#include "platform/image/PngCodec.h"
#include "platform/particles/Base64.h"
#include "platform/particles/CEffectReader.h"
#include "platform/particles/CPyroException.h"
#include "platform/particles/IPyroFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

using namespace PyroParticles;

namespace
{

// An effect file in memory, read in small pieces so the reader's loop is exercised.
class cMemoryFile final : public IPyroFile
{
public:
    explicit cMemoryFile(std::string bytes, unsigned piece = 7, int failAt = -1)
        : m_bytes(std::move(bytes)), m_piece(piece), m_failAt(failAt)
    {
    }

    int read(void* buffer, unsigned count) override
    {
        if (m_failAt >= 0 && m_position >= static_cast<size_t>(m_failAt))
            return -1;
        const size_t n = std::min<size_t>({count, m_piece, m_bytes.size() - m_position});
        std::memcpy(buffer, m_bytes.data() + m_position, n);
        m_position += n;
        return static_cast<int>(n);
    }
    int write(const void*, unsigned) override { return 0; }
    int seek(int, int) override { return 0; }
    int flush() override { return 0; }

private:
    std::string m_bytes;
    size_t m_position = 0;
    unsigned m_piece;
    int m_failAt;
};

sEffectDesc parse(const std::string& text, const std::string& name = "effects/test.xml")
{
    return CEffectReader(name).parse(text.data(), text.size());
}

std::string errorOf(const std::string& text)
{
    try
    {
        parse(text);
    }
    catch (const CPyroException& e)
    {
        return e.what();
    }
    return "(no error)";
}

std::string effect(const std::string& body)
{
    return "<PyroEffect Version=\"1\">" + body + "</PyroEffect>";
}

} // namespace

TEST(ParticlesEffectFile, ReadsTexturesEmittersAndLayersWithInheritedAttributes)
{
    const sEffectDesc d = parse(effect(R"(
        <Emitter Name="Fountain" Seed="7" Texture="glow" Blend="add" MaxParticles="200" Rate="60"
                 Life="0.8" LifeVar="0.2" Speed="90" Angle="-90" Spread="50" GravityY="160"
                 SizeStart="10" SizeEnd="2" ColorStart="FFFFE080" ColorEnd="FF4000"/>
        <Texture Name="glow" Shape="softdot" Size="16"/>
        <Texture Name="cells" Shape="square" Size="8" Columns="2" Rows="4"/>
        <Emitter Name="Burst" Life="2" Rate="5">
          <Layer Burst="40" Speed="120" Spread="360"/>
          <Layer Texture="cells" Frame="2" FrameCount="6" Rate="20" Delay="0.2" EmitTime="1"/>
        </Emitter>)"));

    ASSERT_EQ(d.textures.size(), 3u); // glow, cells and the soft dot of the layer without texture
    EXPECT_EQ(d.textures[0].name, "glow");
    EXPECT_EQ(d.textures[0].rgba.size(), 16u * 16u * 4u);
    EXPECT_EQ(d.textures[1].columns, 2u);
    EXPECT_EQ(d.textures[1].rows, 4u);

    ASSERT_EQ(d.emitters.size(), 2u);
    const sEmitterDesc& fountain = d.emitters[0];
    EXPECT_EQ(fountain.name, "Fountain");
    EXPECT_EQ(fountain.seed, 7u);
    ASSERT_EQ(fountain.layers.size(), 1u);
    const sLayerDesc& f = fountain.layers[0];
    EXPECT_EQ(f.texture, 0u);
    EXPECT_EQ(f.blend, eBlendMode::Add);
    EXPECT_EQ(f.maxParticles, 200u);
    EXPECT_FLOAT_EQ(f.rate, 60.0f);
    EXPECT_FLOAT_EQ(f.angle, -90.0f);
    EXPECT_FLOAT_EQ(f.gravityY, 160.0f);
    EXPECT_EQ(f.colorStart, 0xFFFFE080u);
    EXPECT_EQ(f.colorEnd, 0xFFFF4000u); // six digits are opaque

    const sEmitterDesc& burst = d.emitters[1];
    EXPECT_NE(burst.seed, 0u);
    ASSERT_EQ(burst.layers.size(), 2u);
    EXPECT_EQ(burst.layers[0].burst, 40u);
    EXPECT_FLOAT_EQ(burst.layers[0].life, 2.0f); // from the emitter
    EXPECT_FLOAT_EQ(burst.layers[0].rate, 5.0f);
    EXPECT_EQ(burst.layers[0].texture, 2u);
    EXPECT_FLOAT_EQ(burst.layers[1].rate, 20.0f); // the layer's own
    EXPECT_EQ(burst.layers[1].texture, 1u);
    EXPECT_EQ(burst.layers[1].frame, 2u);
    EXPECT_EQ(burst.layers[1].frameCount, 6u);
}

TEST(ParticlesEffectFile, EmbeddedPngBecomesRedGreenBlueAlpha)
{
    Platform::Image image;
    image.width = 2;
    image.height = 1;
    // Blue, green, red, alpha: a red pixel and a half-transparent blue one.
    image.pixels = {0, 0, 255, 255, 255, 0, 0, 128};
    const std::vector<uint8_t> png = Platform::encodePng(image);
    const std::string base64 = encodeBase64(png.data(), png.size());

    const sEffectDesc d = parse(effect("<Texture Name=\"t\" Png=\"" + base64 +
                                       "\" Columns=\"2\"/><Emitter Name=\"e\" Texture=\"t\"/>"));
    ASSERT_EQ(d.textures.size(), 1u);
    EXPECT_EQ(d.textures[0].width, 2u);
    EXPECT_EQ(d.textures[0].height, 1u);
    EXPECT_EQ(d.textures[0].rgba, (std::vector<uint8_t>{255, 0, 0, 255, 0, 0, 255, 128}));
}

TEST(ParticlesEffectFile, ReadsThroughTheFileObjectInPieces)
{
    cMemoryFile file(effect("<Emitter Name=\"Only\" Rate=\"3\"/>"), 5);
    const sEffectDesc d = CEffectReader("effects/pieces.xml").read(file);
    ASSERT_EQ(d.emitters.size(), 1u);
    EXPECT_EQ(d.emitters[0].name, "Only");
    EXPECT_EQ(d.fileName, "effects/pieces.xml");
}

TEST(ParticlesEffectFile, AFileThatCannotBeReadOrIsTooLargeNamesTheFile)
{
    cMemoryFile broken(effect("<Emitter Name=\"e\"/>"), 5, 10);
    try
    {
        CEffectReader("effects/broken.xml").read(broken);
        FAIL() << "no error";
    }
    catch (const CPyroException& e)
    {
        EXPECT_STREQ(e.what(), "Effect file \"effects/broken.xml\": the file cannot be read");
    }

    cMemoryFile huge(std::string(CEffectReader::kMaxFileSize + 1, ' '), 65536);
    try
    {
        CEffectReader("effects/huge.xml").read(huge);
        FAIL() << "no error";
    }
    catch (const CPyroException& e)
    {
        EXPECT_STREQ(e.what(), "Effect file \"effects/huge.xml\": larger than 8388608 bytes");
    }
}

TEST(ParticlesEffectFile, BadFilesGiveErrorsThatNameTheFileAndTheFault)
{
    const struct
    {
        std::string text;
        std::string message;
    } cases[] = {
        {"", "Effect file \"effects/test.xml\": the file is empty"},
        {"<PyroEffect>", "Effect file \"effects/test.xml\": no element found (line 1)"},
        {"<Effect/>", "the root element is <Effect>, not <PyroEffect>"},
        {effect(""), "Effect file \"effects/test.xml\": no <Emitter>"},
        {"<PyroEffect Version=\"2\"><Emitter Name=\"e\"/></PyroEffect>", "\"Version\" is 2, outside 1..1"},
        {effect("<Sparks/>"), "unknown element <Sparks> (line 1)"},
        {effect("<Emitter Name=\"e\" Lfe=\"1\"/>"), "emitter \"e\" (line 1): unknown attribute \"Lfe\""},
        {effect("<Emitter Rate=\"1\"/>"), "<Emitter> (line 1): no \"Name\""},
        {effect("<Emitter Name=\"e\"/><Emitter Name=\"e\"/>"), "a second emitter of that name"},
        {effect("<Emitter Name=\"e\" Texture=\"missing\"/>"),
         "emitter \"e\" (line 1): no texture named \"missing\""},
        {effect("<Emitter Name=\"e\" MaxParticles=\"10\" Burst=\"11\"/>"),
         "\"Burst\" 11 is more than \"MaxParticles\" 10"},
        {effect("<Emitter Name=\"e\" MaxParticles=\"0\"/>"), "\"MaxParticles\" is 0, outside 1..16384"},
        {effect("<Emitter Name=\"e\" MaxParticles=\"4294967297\"/>"),
         "\"MaxParticles\" is 4294967297, outside"},
        {effect("<Emitter Name=\"e\" MaxParticles=\"-1\"/>"), "\"MaxParticles\" is not a whole number"},
        {effect("<Emitter Name=\"e\" Life=\"1.5x\"/>"), "\"Life\" is not a number: \"1.5x\""},
        {effect("<Emitter Name=\"e\" Speed=\"nan\"/>"), "\"Speed\" is not a number"},
        {effect("<Emitter Name=\"e\" Speed=\"1e39\"/>"), "\"Speed\" is not a number"},
        {effect("<Emitter Name=\"e\" Life=\"0\"/>"), "\"Life\" is 0, outside 0.001..1000000"},
        {effect("<Emitter Name=\"e\" ColorEnd=\"FFF\"/>"), "\"ColorEnd\" is not a colour"},
        {effect("<Emitter Name=\"e\" Blend=\"screen\"/>"),
         "\"Blend\" is \"screen\", not \"alpha\" or \"add\""},
        {effect("<Texture Name=\"t\" Shape=\"square\" Size=\"4\" Columns=\"2\"/>"
                "<Emitter Name=\"e\" Texture=\"t\" Frame=\"1\" FrameCount=\"2\"/>"),
         "frames 1..2 are outside the 2 cells of texture \"t\""},
        {effect("<Texture Name=\"t\" Shape=\"square\" Size=\"4\" Columns=\"5\"/><Emitter Name=\"e\"/>"),
         "texture \"t\" (line 1): more cells than pixels"},
        {effect("<Texture Name=\"t\" Shape=\"blob\"/><Emitter Name=\"e\"/>"), "unknown \"Shape\" \"blob\""},
        {effect("<Texture Name=\"t\" Shape=\"dot\" Size=\"2000\"/><Emitter Name=\"e\"/>"),
         "\"Size\" is 2000, outside 1..1024"},
        {effect("<Texture Name=\"t\"/><Emitter Name=\"e\"/>"),
         "exactly one of \"Shape\" and \"Png\" is needed"},
        {effect("<Texture Name=\"t\" Png=\"@@@@\"/><Emitter Name=\"e\"/>"), "\"Png\" is not base64"},
        {effect("<Texture Name=\"t\" Png=\"AAAAAAAA\"/><Emitter Name=\"e\"/>"),
         "texture \"t\" (line 1): \"Png\" is not a usable PNG picture"},
        {effect(
             "<Texture Name=\"t\" Shape=\"dot\"/><Texture Name=\"t\" Shape=\"dot\"/><Emitter Name=\"e\"/>"),
         "a second texture of that name"},
        {effect("<Emitter Name=\"e\"><Layer><Layer/></Layer></Emitter>"),
         "elements nested too deeply (line 1)"},
        {effect("<Emitter Name=\"e\"><Part/></Emitter>"), "emitter \"e\" (line 1): unknown element <Part>"},
        {effect("<Emitter Name=\"e\">" +
                []
                {
                    std::string layers;
                    for (int i = 0; i < 17; ++i)
                        layers += "<Layer/>";
                    return layers;
                }() +
                "</Emitter>"),
         "more than 16 layers"},
    };
    for (const auto& c : cases)
    {
        const std::string error = errorOf(c.text);
        EXPECT_NE(error.find("Effect file \"effects/test.xml\": "), std::string::npos) << c.text << "\n"
                                                                                       << error;
        EXPECT_NE(error.find(c.message), std::string::npos) << c.text << "\n" << error;
    }
}

TEST(ParticlesEffectFile, Base64RoundTripsAndRefusesMalformedText)
{
    const std::string text = "particles!";
    for (size_t n = 0; n <= text.size(); ++n)
    {
        const std::string encoded = encodeBase64(reinterpret_cast<const uint8_t*>(text.data()), n);
        std::vector<uint8_t> decoded;
        ASSERT_TRUE(decodeBase64(encoded, decoded)) << encoded;
        EXPECT_EQ(std::string(decoded.begin(), decoded.end()), text.substr(0, n));
    }
    std::vector<uint8_t> out;
    EXPECT_TRUE(decodeBase64("cGF y\ndA==", out));
    EXPECT_EQ(std::string(out.begin(), out.end()), "part");
    EXPECT_FALSE(decodeBase64("cGFyd", out));     // not whole groups
    EXPECT_FALSE(decodeBase64("cG=yd A==", out)); // padding inside
    EXPECT_FALSE(decodeBase64("c===", out));      // too much padding
    EXPECT_FALSE(decodeBase64("cGF!", out));
}
