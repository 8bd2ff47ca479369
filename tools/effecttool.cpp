// Writes the game's particle effect files, with their textures drawn here, and checks effect
// files by loading them as the game does.
//
//   effecttool write <folder>        writes every effect below into <folder> (data/Effects)
//   effecttool check <file>...       loads each effect file; prints the error of a bad one
//
// The textures are drawn by the functions below (no picture comes from anywhere else), stored
// as PNG and embedded in the effect file in base64, so an effect is one file.
#include "platform/image/Image.h"
#include "platform/image/PngCodec.h"
#include "platform/particles/Base64.h"
#include "platform/particles/CEffectReader.h"
#include "platform/particles/CPyroException.h"
#include "platform/particles/CPyroRandom.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <functional>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

namespace
{

constexpr float kPi = 3.14159265358979f;

float clamp01(float v)
{
    return std::min(1.0f, std::max(0.0f, v));
}

struct sColor
{
    float r, g, b, a;
};

// A picture drawn by a function of the position in [-1, 1] from the centre.
Platform::Image draw(uint32_t width, uint32_t height, const std::function<sColor(float, float)>& at)
{
    Platform::Image image;
    image.width = width;
    image.height = height;
    image.pixels.resize(static_cast<size_t>(width) * height * 4);
    for (uint32_t y = 0; y < height; ++y)
    {
        for (uint32_t x = 0; x < width; ++x)
        {
            const float fx = (static_cast<float>(x) + 0.5f) / static_cast<float>(width) * 2.0f - 1.0f;
            const float fy = (static_cast<float>(y) + 0.5f) / static_cast<float>(height) * 2.0f - 1.0f;
            const sColor c = at(fx, fy);
            uint8_t* p = image.row(y) + x * 4;
            p[0] = static_cast<uint8_t>(clamp01(c.b) * 255.0f + 0.5f);
            p[1] = static_cast<uint8_t>(clamp01(c.g) * 255.0f + 0.5f);
            p[2] = static_cast<uint8_t>(clamp01(c.r) * 255.0f + 0.5f);
            p[3] = static_cast<uint8_t>(clamp01(c.a) * 255.0f + 0.5f);
        }
    }
    return image;
}

// Copies `cell` into the grid cell (column, row) of `sheet`.
void place(Platform::Image& sheet, const Platform::Image& cell, uint32_t column, uint32_t row)
{
    for (uint32_t y = 0; y < cell.height; ++y)
        std::copy(cell.row(y), cell.row(y) + cell.width * 4,
                  sheet.row(row * cell.height + y) + column * cell.width * 4);
}

// A warm glow: a white core fading through yellow to a transparent orange edge.
Platform::Image drawGlow(uint32_t size)
{
    return draw(size, size,
                [](float x, float y)
                {
                    const float r = std::sqrt(x * x + y * y);
                    const float core = clamp01(1.0f - r * 3.0f);
                    const float halo = std::pow(clamp01(1.0f - r), 2.2f);
                    return sColor{1.0f, 0.85f + 0.15f * core, 0.45f + 0.55f * core, halo};
                });
}

// A twinkling star in four cells: its rays grow, shine and shrink again, turning a little.
Platform::Image drawTwinkleSheet(uint32_t cell)
{
    Platform::Image sheet;
    sheet.width = cell * 2;
    sheet.height = cell * 2;
    sheet.pixels.assign(static_cast<size_t>(sheet.width) * sheet.height * 4, 0);
    const float lengths[4] = {0.45f, 0.8f, 1.0f, 0.6f};
    for (uint32_t i = 0; i < 4; ++i)
    {
        const float length = lengths[i];
        const float turn = static_cast<float>(i) * kPi / 16.0f;
        const Platform::Image star = draw(cell, cell,
                                          [length, turn](float x, float y)
                                          {
                                              const float c = std::cos(turn);
                                              const float s = std::sin(turn);
                                              const float u = x * c + y * s;
                                              const float v = -x * s + y * c;
                                              const float r = std::sqrt(u * u + v * v);
                                              const float rayU = clamp01(1.0f - std::fabs(v) * 12.0f) *
                                                                 clamp01(1.0f - std::fabs(u) / length);
                                              const float rayV = clamp01(1.0f - std::fabs(u) * 12.0f) *
                                                                 clamp01(1.0f - std::fabs(v) / length);
                                              const float core = std::pow(clamp01(1.0f - r * 2.2f), 1.5f);
                                              const float a = clamp01(core + rayU * rayU + rayV * rayV);
                                              return sColor{1.0f, 1.0f, 0.9f + 0.1f * core, a};
                                          });
        place(sheet, star, i % 2, i / 2);
    }
    return sheet;
}

// Smooth noise on a grid of random values, wrapped so the picture has no seam.
class cValueNoise
{
public:
    cValueNoise(uint32_t seed, int cells) : m_cells(cells), m_values(static_cast<size_t>(cells) * cells)
    {
        PyroParticles::CPyroRandom random(seed);
        for (float& v : m_values)
            v = random.unit();
    }

    // x, y in [0, 1).
    float at(float x, float y) const
    {
        const float gx = x * static_cast<float>(m_cells);
        const float gy = y * static_cast<float>(m_cells);
        const int x0 = static_cast<int>(std::floor(gx));
        const int y0 = static_cast<int>(std::floor(gy));
        const float tx = smooth(gx - static_cast<float>(x0));
        const float ty = smooth(gy - static_cast<float>(y0));
        const float a = value(x0, y0) + (value(x0 + 1, y0) - value(x0, y0)) * tx;
        const float b = value(x0, y0 + 1) + (value(x0 + 1, y0 + 1) - value(x0, y0 + 1)) * tx;
        return a + (b - a) * ty;
    }

private:
    static float smooth(float t) { return t * t * (3.0f - 2.0f * t); }
    float value(int x, int y) const
    {
        const int wx = ((x % m_cells) + m_cells) % m_cells;
        const int wy = ((y % m_cells) + m_cells) % m_cells;
        return m_values[static_cast<size_t>(wy) * m_cells + wx];
    }

    int m_cells;
    std::vector<float> m_values;
};

// A grey puff of smoke with a ragged edge.
Platform::Image drawPuff(uint32_t size, uint32_t seed)
{
    const cValueNoise coarse(seed, 4);
    const cValueNoise fine(seed + 1, 9);
    return draw(size, size,
                [&](float x, float y)
                {
                    const float r = std::sqrt(x * x + y * y);
                    const float u = (x + 1.0f) * 0.5f;
                    const float v = (y + 1.0f) * 0.5f;
                    const float n = coarse.at(u, v) * 0.65f + fine.at(u, v) * 0.35f;
                    const float body = clamp01((1.0f - r) * 1.6f - (1.0f - n) * 0.7f);
                    const float shade = 0.75f + 0.25f * n;
                    return sColor{shade, shade, shade, body * body};
                });
}

struct sTexture
{
    std::string name;
    Platform::Image image;
    uint32_t columns = 1;
    uint32_t rows = 1;
};

std::string textureElement(const sTexture& t)
{
    const std::vector<uint8_t> png = Platform::encodePng(t.image);
    std::string out = "  <Texture Name=\"" + t.name + "\"";
    if (t.columns > 1)
        out += " Columns=\"" + std::to_string(t.columns) + "\"";
    if (t.rows > 1)
        out += " Rows=\"" + std::to_string(t.rows) + "\"";
    out += "\n           Png=\"" + PyroParticles::encodeBase64(png.data(), png.size()) + "\"/>\n";
    return out;
}

struct sEffect
{
    std::string file;
    std::string comment;
    std::vector<sTexture> textures;
    std::string emitters;
};

std::vector<sEffect> effects()
{
    std::vector<sEffect> list;

    sEffect sparkle;
    sparkle.file = "Sparkle.pyro";
    sparkle.comment = "Twinkling stars rising from a warm glow: praise, bonuses, a finished goal.";
    sparkle.textures.push_back({"glow", drawGlow(32), 1, 1});
    sparkle.textures.push_back({"twinkle", drawTwinkleSheet(32), 2, 2});
    sparkle.emitters = R"(  <Emitter Name="Sparkle" Seed="1907" Blend="add">
    <Layer Texture="glow" MaxParticles="40" Rate="24" Life="0.9" LifeVar="0.3" Speed="18" SpeedVar="8"
           Angle="270" Spread="120" SizeStart="30" SizeEnd="12" SizeVar="0.3" AreaX="14" AreaY="6"
           ColorStart="C0FFD060" ColorEnd="00FF8020"/>
    <Layer Texture="twinkle" MaxParticles="60" Burst="10" Rate="30" Life="1.1" LifeVar="0.4" Speed="60"
           SpeedVar="25" Angle="270" Spread="70" GravityY="40" Drag="0.6" SizeStart="14" SizeEnd="6"
           SizeVar="0.4" RotationVar="45" SpinVar="90" FrameCount="4" AreaX="10" AreaY="4"
           ColorStart="FFFFFFE0" ColorEnd="00FFE090"/>
  </Emitter>
  <Emitter Name="Burst" Seed="77" Blend="add" Texture="twinkle">
    <Layer Burst="36" MaxParticles="36" Life="0.7" LifeVar="0.2" Speed="140" SpeedVar="40" Spread="360"
           Drag="2.5" SizeStart="16" SizeEnd="4" SpinVar="180" FrameCount="4"
           ColorStart="FFFFFFFF" ColorEnd="00FFC040"/>
    <Layer Texture="glow" Burst="1" MaxParticles="1" Life="0.35" SizeStart="40" SizeEnd="90"
           ColorStart="FFFFF0C0" ColorEnd="00FFA040"/>
  </Emitter>
)";
    list.push_back(std::move(sparkle));

    sEffect smoke;
    smoke.file = "Smoke.pyro";
    smoke.comment = "Smoke from a chimney or a fire, and a puff of dust where something lands.";
    smoke.textures.push_back({"puff", drawPuff(64, 31), 1, 1});
    smoke.emitters =
        R"(  <Emitter Name="Smoke" Seed="4242" Texture="puff" MaxParticles="48" Rate="9" Life="3" LifeVar="0.6"
           Speed="26" SpeedVar="8" Angle="275" Spread="24" GravityX="7" Drag="0.15" SizeStart="14"
           SizeEnd="58" SizeVar="0.25" RotationVar="180" SpinVar="25" AreaX="4"
           ColorStart="B0807878" ColorEnd="00C8C4C0"/>
  <Emitter Name="Dust" Seed="5" Texture="puff" Burst="14" MaxParticles="14" Life="0.9" LifeVar="0.25"
           Speed="70" SpeedVar="25" Angle="270" Spread="160" GravityY="60" Drag="3" SizeStart="12"
           SizeEnd="36" SizeVar="0.3" RotationVar="180" SpinVar="60" AreaX="10"
           ColorStart="D0B09070" ColorEnd="00A08870"/>
)";
    list.push_back(std::move(smoke));
    return list;
}

std::string render(const sEffect& e)
{
    std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    out += "<!-- " + e.comment + " Written by tools/effecttool; edit the tool, not this file. -->\n";
    out += "<PyroEffect Version=\"1\">\n";
    for (const sTexture& t : e.textures)
        out += textureElement(t);
    out += e.emitters;
    out += "</PyroEffect>\n";
    return out;
}

bool check(const std::string& path, const std::string& bytes)
{
    try
    {
        const PyroParticles::sEffectDesc d =
            PyroParticles::CEffectReader(path).parse(bytes.data(), bytes.size());
        std::cout << path << ": " << d.emitters.size() << " emitters, " << d.textures.size() << " textures\n";
        return true;
    }
    catch (const PyroParticles::CPyroException& e)
    {
        std::cerr << e.what() << "\n";
        return false;
    }
}

int usage()
{
    std::cerr << "usage: effecttool write <folder>\n       effecttool check <file>...\n";
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3)
        return usage();
    const std::string command = argv[1];
    bool ok = true;
    if (command == "write")
    {
        const std::string folder = argv[2];
        for (const sEffect& e : effects())
        {
            const std::string path = folder + "/" + e.file;
            const std::string text = render(e);
            ok = check(path, text) && ok;
            std::ofstream out(path, std::ios::binary | std::ios::trunc);
            out << text;
            if (!out.flush())
            {
                std::cerr << "cannot write " << path << "\n";
                ok = false;
            }
        }
    }
    else if (command == "check")
    {
        for (int i = 2; i < argc; ++i)
        {
            std::ifstream in(argv[i], std::ios::binary);
            if (!in)
            {
                std::cerr << "cannot read " << argv[i] << "\n";
                ok = false;
                continue;
            }
            const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
            ok = check(argv[i], bytes) && ok;
        }
    }
    else
    {
        return usage();
    }
    return ok ? 0 : 1;
}
