// The bitmap font reader: any bytes either load a font whose every lookup stays inside its glyph
// table or give the loader's error naming the file, never a read past their end. A loaded font
// is then judged against pictures of a few sizes: its glyphs held, or the damaged font's error.
#include "engine/devices/cFont.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::vector<char> bytes(reinterpret_cast<const char*>(data),
                                  reinterpret_cast<const char*>(data) + size);
    try
    {
        const Engine::cFont font("fuzz.fnt", bytes);
        Engine::sGlyph glyph;
        float sum = 0.0f;
        for (int code = 0; code <= 0x10000; code += 7)
        {
            if (font.getGlyph(static_cast<wchar_t>(code), glyph))
                sum += glyph.left;
        }
        (void)sum;
        for (const int side : {1, 64, 4096})
        {
            try
            {
                font.checkPicture("fuzz.png", side, side / 2 + 1);
            }
            catch (const std::string& error)
            {
                if (error.rfind("Font (fuzz.fnt) is damaged: its picture fuzz.png ", 0) != 0)
                    std::abort();
            }
        }
    }
    catch (const std::string&)
    {
    }
    return 0;
}
