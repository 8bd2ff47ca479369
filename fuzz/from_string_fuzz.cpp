// Feeds arbitrary text to every conversion that reads data-file text: the input is decoded as
// UTF-8 (and, separately, as UTF-16 units) and read into each target type. Checks the round
// trips that must hold for any input.
#include "engine/core/FromString.h"
#include "engine/core/StringUtils.h"
#include "engine/core/SystemUtils.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace
{

void readAll(const std::wstring& text)
{
    float f = 1.0f;
    double d = 1.0;
    bool b = false;
    int i = 1;
    unsigned u = 1;
    long l = 1;
    unsigned short us = 1;
    long long ll = 1;
    unsigned long ul = 1;
    Engine::cColor color(0.5f, 0.5f, 0.5f, 0.5f);
    Engine::cVector2 v2;
    Engine::cVector3 v3;
    Engine::cVector4 v4;
    Engine::cPoint point;
    std::wstring ws;
    std::string s;
    Engine::fromString(f, text);
    Engine::fromString(d, text);
    Engine::fromString(b, text);
    Engine::fromString(i, text);
    Engine::fromString(u, text);
    Engine::fromString(l, text);
    Engine::fromString(us, text);
    Engine::fromString(ll, text);
    Engine::fromString(ul, text);
    Engine::fromString(color, text);
    Engine::fromString(v2, text);
    Engine::fromString(v3, text);
    Engine::fromString(v4, text);
    Engine::fromString(point, text);
    Engine::fromString(ws, text);
    Engine::fromString(s, text);
    // Colour components always stay within 0..1.
    for (float c : {color.r, color.g, color.b, color.a})
    {
        if (!(c >= 0.0f && c <= 1.0f))
            std::abort();
    }
    if (ws != text)
        std::abort();
    Engine::hashWString(text);
    Engine::escapeXml(text);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const std::wstring text = Engine::fromUtf8(bytes);
    readAll(text);

    // UTF-8 that came out of the decoder encodes back to a text that decodes the same.
    const std::string again = Engine::toUtf8(text);
    if (Engine::fromUtf8(again) != text)
        std::abort();
    // UTF-16 round trip of any decoded text is exact.
    if (Engine::fromUtf16(Engine::toUtf16(text)) != text)
        std::abort();

    // The same bytes read as UTF-16 units: decoding never fails and re-encodes to the same
    // number of units when no replacement was needed.
    std::u16string units(size / 2, u'\0');
    for (size_t k = 0; k + 1 < size; k += 2)
        units[k / 2] = static_cast<char16_t>(data[k] | (data[k + 1] << 8));
    const std::wstring fromUnits = Engine::fromUtf16(units);
    readAll(fromUnits);
    if (fromUnits.find(static_cast<wchar_t>(0xFFFD)) == std::wstring::npos &&
        Engine::toUtf16(fromUnits) != units)
        std::abort();

    char buffer[16];
    Engine::wideToNarrow(buffer, size ? static_cast<size_t>(data[0] % 17) : 0u, text.c_str());
    return 0;
}
