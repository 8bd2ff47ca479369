// Any text laid out by a multi-line text and typed into a text box. The first byte chooses the
// box's width, the wrap style and the vertical alignment, the second whether the rest is UTF-8
// or UTF-16 (little-endian), whether lines are shown right to left and how small the letters
// may shrink to fit the box (its six high bits, in 64ths of the font's size; 0: never), so
// that texts are laid out and drawn with the font's glyphs reduced (`cFontScaled`, made once
// in the run for each size, and drawn again with more letters by later inputs). Checks: the
// layout ends; no character but spaces and tabs (and the line feeds that split paragraphs) is
// lost or added; a line of the wrap that breaks words is no wider than the box unless it holds
// one character; every letter is cut from inside its picture; typing never makes the box's
// text wider than its maximum.
#include "engine/core/StringUtils.h"
#include "engine/core/cControl.h"
#include "engine/core/cFileSystem.h"
#include "engine/core/cFrameDevices.h"
#include "engine/core/cTimer.h"
#include "engine/devices/cRender.h"
#include "engine/devices/cRenderConfig.h"
#include "engine/devices/cResourceManager.h"
#include "engine/ui/cMultiLineText.h"
#include "engine/ui/cTextBox.h"
#include "platform/gfx/FakeDisplayWindow.h"
#include "platform/gfx/RecordingGfxSystem.h"
#include "platform/image/PngCodec.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace
{

void write(const std::string& path, const std::string& bytes)
{
    std::filesystem::create_directories(std::filesystem::path("data/" + path).parent_path());
    std::ofstream("data/" + path, std::ios::binary) << bytes;
}

// A font of the letters A to Z, a to z and the underscore, of three widths.
std::string fontBytes()
{
    std::string bytes;
    const auto put = [&bytes](const void* data, size_t size)
    { bytes.append(static_cast<const char*>(data), size); };
    const uint16_t ranges[3][3] = {{'A', 'Z', 0}, {'_', '_', 26}, {'a', 'z', 27}};
    const uint32_t tag = 0x666F6E74u;
    const uint32_t rangeCount = 3;
    const uint32_t count = 53;
    put(&tag, 4);
    put(&rangeCount, 4);
    put(ranges, sizeof ranges);
    put(&count, 4);
    for (uint32_t i = 0; i < count; ++i)
    {
        const float width = 0.02f * static_cast<float>(1 + i % 3);
        const float glyph[5] = {0.0f, 0.2f, width, 0.0f, width};
        put(glyph, sizeof glyph);
    }
    return bytes;
}

void startEngine()
{
    static std::unique_ptr<Engine::cFileSystem> files;
    static std::unique_ptr<Engine::cRender> render;
    static std::unique_ptr<Engine::cResourceManager> manager;
    static std::unique_ptr<Engine::cTimer> timer;
    if (files)
        return;
    write("sys/constants.xml", "<constants><game app_directory=\"Text Layout Fuzz\"/></constants>");
    Platform::Image image;
    image.width = 256;
    image.height = 64;
    image.pixels.assign(256 * 64 * 4, 0xFF);
    const std::vector<uint8_t> png = Platform::encodePng(image);
    write("fonts/f.png", std::string(png.begin(), png.end()));
    write("fonts/f.fnt", fontBytes());
    files =
        std::make_unique<Engine::cFileSystem>(Engine::fromUtf8(std::filesystem::absolute("data").string()));
    Engine::cRenderPlatform platform;
    platform.system = std::make_unique<Platform::RecordingGfxSystem>();
    platform.window = std::make_unique<Platform::FakeDisplayWindow>();
    render = std::make_unique<Engine::cRender>(std::move(platform),
                                               std::make_unique<Engine::cMemoryRenderConfigSource>());
    manager = std::make_unique<Engine::cResourceManager>();
    timer = std::make_unique<Engine::cTimer>();
}

std::wstring decode(const uint8_t* data, size_t size, bool utf16)
{
    if (!utf16)
        return Engine::fromUtf8(std::string(reinterpret_cast<const char*>(data), size));
    std::u16string units;
    for (size_t i = 0; i + 1 < size; i += 2)
        units += static_cast<char16_t>(data[i] | data[i + 1] << 8);
    return Engine::fromUtf16(units);
}

std::wstring withoutBlanks(const std::wstring& text)
{
    std::wstring out;
    for (const wchar_t c : text)
        if (c != L' ' && c != L'\t' && c != L'\n')
            out += c;
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2)
        return 0;
    startEngine();
    const float width = static_cast<float>(data[0] & 0x3F) * 4.0f;
    const uint32_t wrapStyle = (data[0] >> 6) & 1;
    const uint32_t verticalAlign = data[0] >> 7 ? 0 : 3;
    const bool utf16 = data[1] & 1;
    const bool rightToLeft = data[1] & 2;
    const float minMultiplier = static_cast<float>(data[1] >> 2) / 64.0f;
    std::wstring text = decode(data + 2, size - 2, utf16);
    // Every line of the layout is a view of its own, and the wrap that breaks words measures the
    // rest of the text again for every line: a longer text costs much and shows nothing that the
    // lines of the narrowest box (a character each) and the widest (a few words) do not.
    if (text.size() > 128)
        text.resize(128);
    {
        Engine::cMultiLineText lines;
        lines.getTemplate()->setFont("fonts/f.fnt");
        lines.getTemplate()->setTexture("fonts/f.png");
        lines.getTemplate()->setMultiSprites(true);
        lines.getTemplate()->setRightToLeft(rightToLeft);
        lines.setLocalized(false);
        lines.setWrapText(true);
        lines.setWrapStyle(wrapStyle);
        lines.setVerticalAlign(verticalAlign);
        lines.setMinMultiplier(minMultiplier);
        lines.setSize({width, 100.0f});
        lines.show();
        lines.setText(text, true);

        Engine::cRender& render = *Engine::cRender::instance();
        render.beginFrame();
        std::wstring shown;
        for (Engine::cTextLine* line : lines.getLines())
        {
            shown += line->getText();
            for (const Engine::cQuad& quad : line->getSpriteList())
                if (!(quad.uvFrom.x >= 0.0f && quad.uvFrom.y >= 0.0f && quad.uvTo.x <= 1.0f &&
                      quad.uvTo.y <= 1.0f))
                    std::abort();
            Engine::drawView(render, *line);
            // The wrap measures a part of the text by one sum of advances and the line lays its
            // glyphs out by another: the two may differ in the last bits of a float.
            if (wrapStyle != 0 && line->getText().size() > 1 && line->getWidth() > width + 0.01f)
                std::abort();
        }
        render.endFrame();
        std::wstring expected = text;
        Engine::replaceAll(expected, L"/n", L"\n");
        if (withoutBlanks(shown) != withoutBlanks(expected))
            std::abort();

        Engine::cTextBox box;
        box.setFont("fonts/f.fnt");
        box.setTexture("fonts/f.png");
        box.setMaxLength(width);
        for (const wchar_t c : text)
        {
            box.onChar(c);
            if (!box.getText().empty() && box.getWidth() >= width)
                std::abort();
        }
    }
    Engine::cControl::deletePending();
    return 0;
}
