#include "engine/core/cProperties.h"

#include "engine/core/FromString.h"
#include "engine/core/StringUtils.h"

#include <cwctype>

namespace Engine
{

namespace
{

template <class T> T readText(const std::wstring& text)
{
    T value{};
    return fromString<T>(value, text);
}

template <class T, class Convert>
bool getFromChild(const cProperties& node, const wchar_t* name, T& target, Convert convert)
{
    tPropertiesPtr child;
    if (!node.getChild(name, child))
        return false;
    target = convert(*child);
    return true;
}

// One hexadecimal number as a stream reads it: white space skipped, an optional "0x", digits up
// to the first other character. False when there is no digit or the number passes 32 bits.
bool readHex(const std::wstring& text, uint32_t& value)
{
    size_t i = 0;
    while (i < text.size() && std::iswspace(static_cast<wint_t>(text[i])))
        ++i;
    if (i + 2 < text.size() && text[i] == L'0' && (text[i + 1] == L'x' || text[i + 1] == L'X') &&
        hexDigitValue(text[i + 2]) >= 0)
        i += 2;
    uint64_t v = 0;
    size_t digits = 0;
    for (; i < text.size() && hexDigitValue(text[i]) >= 0; ++i, ++digits)
    {
        v = v * 16 + static_cast<uint64_t>(hexDigitValue(text[i]));
        if (v > 0xFFFFFFFFull)
            return false;
    }
    if (digits == 0)
        return false;
    value = static_cast<uint32_t>(v);
    return true;
}

} // namespace

cProperties::~cProperties() = default;

bool cProperties::isValid() const
{
    return true;
}

bool cProperties::isPropertyTree() const
{
    return true;
}

bool cProperties::get(const wchar_t* name, bool& target) const
{
    return getFromChild(*this, name, target, [](const cProperties& c) { return c.asBool(); });
}

bool cProperties::get(const wchar_t* name, cColor& target) const
{
    return getFromChild(*this, name, target, [](const cProperties& c) { return c.asColor(); });
}

bool cProperties::get(const wchar_t* name, cPoint& target) const
{
    return getFromChild(*this, name, target, [](const cProperties& c) { return c.asPoint(); });
}

bool cProperties::get(const wchar_t* name, cVector2& target) const
{
    return getFromChild(*this, name, target, [](const cProperties& c) { return c.asVector2(); });
}

bool cProperties::get(const wchar_t* name, long long& target) const
{
    return getFromChild(*this, name, target, [](const cProperties& c) { return c.asInt64(); });
}

bool cProperties::get(const wchar_t* name, double& target) const
{
    return getFromChild(*this, name, target, [](const cProperties& c) { return c.asDouble(); });
}

bool cProperties::get(const wchar_t* name, float& target) const
{
    return getFromChild(*this, name, target, [](const cProperties& c) { return c.asFloat(); });
}

bool cProperties::get(const wchar_t* name, unsigned long& target) const
{
    return getFromChild(*this, name, target, [](const cProperties& c) { return c.asULong(); });
}

bool cProperties::get(const wchar_t* name, long& target) const
{
    return getFromChild(*this, name, target, [](const cProperties& c) { return c.asLong(); });
}

bool cProperties::get(const wchar_t* name, int& target) const
{
    return getFromChild(*this, name, target, [](const cProperties& c) { return c.asInt(); });
}

bool cProperties::get(const wchar_t* name, std::wstring& target) const
{
    return getFromChild(*this, name, target, [](const cProperties& c) { return c.asWString(); });
}

bool cProperties::get(const wchar_t* name, std::string& target) const
{
    return getFromChild(*this, name, target, [](const cProperties& c) { return c.asString(); });
}

unsigned cProperties::findAll(const wchar_t* name, tPropertiesList& list) const
{
    getChildren(name, list);
    for (cChildIterator it = childrenBegin(), end = childrenEnd(); it != end; ++it)
        it.value()->findAll(name, list);
    return static_cast<unsigned>(list.size());
}

std::string cProperties::asString() const
{
    return toNarrowString(m_text);
}

std::wstring cProperties::asWString() const
{
    return m_text;
}

float cProperties::asFloat() const
{
    return readText<float>(m_text);
}

double cProperties::asDouble() const
{
    return readText<double>(m_text);
}

int cProperties::asInt() const
{
    return readText<int>(m_text);
}

unsigned cProperties::asUInt() const
{
    return readText<unsigned>(m_text);
}

long cProperties::asLong() const
{
    return readText<long>(m_text);
}

unsigned long cProperties::asULong() const
{
    return readText<unsigned long>(m_text);
}

long long cProperties::asInt64() const
{
    return readText<long long>(m_text);
}

cVector2 cProperties::asVector2() const
{
    return readText<cVector2>(m_text);
}

cColor cProperties::asColor() const
{
    uint32_t argb = 0;
    if (!readHex(m_text, argb))
        return cColor();
    return cColor::fromARGB(argb);
}

bool cProperties::asBool() const
{
    return readText<bool>(m_text);
}

cPoint cProperties::asPoint() const
{
    return readText<cPoint>(m_text);
}

const cAttributeIterator* cProperties::getAttributeAt(unsigned index) const
{
    static cAttributeIterator at;
    if (index >= getAttributeCount())
        return nullptr;
    at = attributesBegin();
    for (unsigned i = 0; i < index; ++i)
        ++at;
    return &at;
}

tPropertiesPtr cProperties::getChildRequired(const tPropertiesPtr& node, const wchar_t* name,
                                             const wchar_t* message)
{
    tPropertiesPtr child;
    if (node && node->getChild(name, child))
        return child;
    if (message)
        throw message;
    return tPropertiesPtr();
}

} // namespace Engine
