#include "engine/core/cStrings.h"

#include "engine/core/ErrorText.h"
#include "engine/core/FileUtils.h"
#include "engine/core/StringUtils.h"
#include "engine/core/cConstants.h"
#include "engine/core/cDocumentCache.h"
#include "engine/core/cFileSystem.h"
#include "engine/core/cProperties.h"

namespace Engine
{
namespace
{

const char* const StringsPath = "sys/strings.xml";
const char* const DumpPath = "strdubp.xml";
const wchar_t* const MissingPrefix = L"!!!!!!!";

} // namespace

cStrings::cStrings()
{
    if (cConstants* constants = cConstants::instance())
        constants->get(L"game", L"DumpStrings", m_dumping);

    cFileSystem* files = cFileSystem::instance();
    if (!files || !files->isKnown(StringsPath))
        return;
    readTable(*cDocumentCache::loadDocument(StringsPath, true));
}

cStrings::~cStrings()
{
    if (m_dumping)
    {
        try
        {
            writeDump();
        }
        catch (...)
        {
            reportProblem(L"strings", "The strings dump was not written: " + currentExceptionText());
        }
    }
    m_table.clear();
    m_missing.clear();
}

void cStrings::readTable(const cProperties& root)
{
    const unsigned count = root.getChildCount();
    for (unsigned i = 0; i < count; ++i)
    {
        tPropertiesPtr entry;
        if (!root.getChildAt(i, entry))
            break;
        std::wstring text;
        std::wstring translation;
        entry->get(L"text", text);
        entry->get(L"translation", translation);
        m_table[text] = translation;
    }
}

const std::wstring& cStrings::translate(const std::wstring& text)
{
    if (text.empty())
        return text;
    const auto found = m_table.find(text);
    if (found != m_table.end())
        return found->second;
    // A copy: the argument may be the shared result itself, handed back by the caller.
    const std::wstring key = text;
    m_untranslated = key;
    if (m_dumping)
    {
        m_untranslated = MissingPrefix + key;
        m_table[key] = m_untranslated;
        m_missing.insert(key);
    }
    return m_untranslated;
}

bool cStrings::isDumping() const
{
    return m_dumping;
}

void cStrings::setDumping(bool dumping)
{
    m_dumping = dumping;
}

std::wstring cStrings::dumpText() const
{
    std::wstring out = L"<?xml version=\"1.0\" encoding=\"UTF-16\"?>\n<Strings>";
    for (const std::wstring& text : m_missing)
    {
        const std::wstring escaped = xmlContentText(text);
        out += L"<s>\n<text>";
        out += escaped;
        out += L"</text>\n<translation>";
        out += escaped;
        out += L"</translation>\n</s>";
    }
    out += L"</Strings>";
    return out;
}

void cStrings::writeDump() const
{
    // UTF-16 little-endian without the byte-order mark (the one written file that has none).
    const std::u16string units = toUtf16(dumpText());
    std::string bytes;
    bytes.reserve(2 * units.size());
    for (const char16_t unit : units)
    {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>(unit >> 8);
    }
    writeWholeFile(DumpPath, bytes.data(), bytes.size());
}

} // namespace Engine
