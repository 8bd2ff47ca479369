// Reads arbitrary bytes as a strings document, translates texts taken from the input with
// dumping on, and checks that the dump loads as a strings document again with one entry per
// missing text.
#include "engine/core/StringUtils.h"
#include "engine/core/cStrings.h"
#include "engine/core/cXmlProperties.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace
{

std::string utf16Bytes(const std::wstring& text)
{
    std::string bytes;
    for (const char16_t unit : Engine::toUtf16(text))
    {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>(unit >> 8);
    }
    return bytes;
}

// The loader strips tabs and line feeds where a run of text starts, so only texts without
// them come back exactly.
bool comesBackExactly(const std::wstring& text)
{
    return text.find_first_of(L"\t\n\r") == std::wstring::npos;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    Engine::tPropertiesPtr root;
    try
    {
        root = Engine::cXmlProperties::fromBuffer(bytes.data(), bytes.size(), "sys/strings.xml");
    }
    catch (...)
    {
        root.reset();
    }

    // The input's lines are the texts looked up.
    std::vector<std::wstring> texts;
    const std::wstring wide = Engine::fromUtf8(bytes);
    size_t start = 0;
    while (start <= wide.size() && texts.size() < 64)
    {
        const size_t end = wide.find(L'\n', start);
        texts.push_back(wide.substr(start, end == std::wstring::npos ? std::wstring::npos : end - start));
        if (end == std::wstring::npos)
            break;
        start = end + 1;
    }

    Engine::cStrings strings;
    if (root)
        strings.readTable(*root);
    for (const std::wstring& text : texts)
    {
        const std::wstring shown = strings.translate(text);
        if (text.empty() && !shown.empty())
            std::abort();
    }
    strings.setDumping(true);
    for (const std::wstring& text : texts)
    {
        const std::wstring& shown = strings.translate(text);
        // Handing the shared result back in must work too.
        strings.translate(shown);
    }
    const std::string dump = utf16Bytes(strings.dumpText());
    strings.setDumping(false);

    Engine::tPropertiesPtr dumped;
    try
    {
        dumped = Engine::cXmlProperties::fromBuffer(dump.data(), dump.size(), "strdubp.xml");
    }
    catch (...)
    {
        std::abort();
    }
    if (dumped->getChildCount() != strings.getMissing().size())
        std::abort();
    unsigned index = 0;
    for (const std::wstring& text : strings.getMissing())
    {
        Engine::tPropertiesPtr entry;
        std::wstring read;
        std::wstring translation;
        if (!dumped->getChildAt(index++, entry))
            std::abort();
        entry->get(L"text", read);
        entry->get(L"translation", translation);
        if (read != translation)
            std::abort();
        if (comesBackExactly(text) && read != Engine::replaceNonXmlCharacters(text))
            std::abort();
    }
    return 0;
}
