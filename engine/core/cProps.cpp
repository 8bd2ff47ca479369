#include "engine/core/cProps.h"

#include "engine/core/FromString.h"
#include "engine/core/StringUtils.h"
#include "engine/core/cProperties.h"

#include <cstdio>
#include <limits>
#include <sstream>
#include <tuple>
#include <type_traits>
#include <utility>

namespace Engine
{
namespace
{

using tTables = std::tuple<cPropTable<float>, cPropTable<double>, cPropTable<int32_t>, cPropTable<uint32_t>,
                           cPropTable<int32_t>, cPropTable<uint32_t>, cPropTable<int64_t>, cPropTable<cColor>,
                           cPropTable<bool>, cPropTable<uint16_t>, cPropTable<cVector2>,
                           cPropTable<std::string>, cPropTable<std::wstring>>;

tTables& tables()
{
    static tTables all;
    return all;
}

const wchar_t* const TypeNames[cProps::TypeCount] = {L"Float",   L"Double",   L"Int",     L"UInt", L"Long",
                                                     L"ULong",   L"LongLong", L"DXColor", L"Bool", L"UInt16",
                                                     L"Vector2", L"String",   L"WString"};

// The value texts of the property file.
std::wstring valueText(float v)
{
    return toStringFloating(v);
}
std::wstring valueText(double v)
{
    return toStringFloating(v);
}
std::wstring valueText(int32_t v)
{
    return std::to_wstring(v);
}
std::wstring valueText(uint32_t v)
{
    return std::to_wstring(v);
}
std::wstring valueText(int64_t v)
{
    return std::to_wstring(v);
}
std::wstring valueText(uint16_t v)
{
    return std::to_wstring(v);
}
std::wstring valueText(bool v)
{
    return v ? L"1" : L"0";
}
std::wstring valueText(const cColor& v)
{
    // Hexadecimal, as the reader takes it: "0x" and all eight digits, so the alpha is read too.
    wchar_t buffer[16];
    std::swprintf(buffer, 16, L"0x%08x", static_cast<unsigned>(v.toARGB()));
    return buffer;
}
std::wstring valueText(const cVector2& v)
{
    return toStringFloating(v.x) + L" " + toStringFloating(v.y);
}
std::wstring valueText(const std::string& v)
{
    return fromUtf8(v);
}
std::wstring valueText(const std::wstring& v)
{
    return v;
}

template <class V> void writeTable(std::wostream& out, const cPropTable<V>& table, const wchar_t* type)
{
    for (const std::wstring& name : table.names)
    {
        const auto found = table.values.find(hashWString(name));
        const V value = cProps::bounded(table, name, found == table.values.end() ? V{} : found->second);
        out << L"<prop Name=\"" << xmlAttributeText(name) << L"\" Val=\""
            << xmlAttributeText(valueText(value)) << L"\" Type=\"" << type << L"\" />";
    }
}

template <size_t... I> void writeTables(std::wostream& out, std::index_sequence<I...>)
{
    (writeTable(out, std::get<I>(tables()), TypeNames[I]), ...);
}

template <size_t... I> void clearTables(std::index_sequence<I...>)
{
    ((std::get<I>(tables()).values.clear(), std::get<I>(tables()).names.clear()), ...);
}

template <size_t... I> bool tablesEmpty(std::index_sequence<I...>)
{
    return (std::get<I>(tables()).names.empty() && ...);
}

// A number brought into the stored type's range: the nearer end of it when outside.
template <class Stored, class Wide> Stored within(Wide wide)
{
    if constexpr (std::is_signed_v<Wide>)
    {
        if (wide < static_cast<Wide>(std::numeric_limits<Stored>::min()))
            return std::numeric_limits<Stored>::min();
    }
    if (wide > static_cast<Wide>(std::numeric_limits<Stored>::max()))
        return std::numeric_limits<Stored>::max();
    return static_cast<Stored>(wide);
}

template <class Stored, class Wide> Stored clampedFrom(const std::wstring& text)
{
    Wide wide{};
    fromStringClamped(wide, text);
    return within<Stored>(wide);
}

// Sets a value read from the file, within the range declared for its name.
template <class T> void setRead(const std::wstring& name, const typename cPropType<T>::tStored& value)
{
    cProps::set(name, static_cast<T>(cProps::bounded(cPropType<T>::table(), name, value)));
}

template <size_t... I> void clearRangeTables(std::index_sequence<I...>)
{
    (std::get<I>(tables()).ranges.clear(), ...);
}

} // namespace

#define QUILL_PROP_TABLE(Type, Index)                                                                        \
    cPropTable<cPropType<Type>::tStored>& cPropType<Type>::table()                                           \
    {                                                                                                        \
        return std::get<Index>(tables());                                                                    \
    }
QUILL_PROP_TABLE(float, 0)
QUILL_PROP_TABLE(double, 1)
QUILL_PROP_TABLE(int, 2)
QUILL_PROP_TABLE(unsigned int, 3)
QUILL_PROP_TABLE(long, 4)
QUILL_PROP_TABLE(unsigned long, 5)
QUILL_PROP_TABLE(long long, 6)
QUILL_PROP_TABLE(cColor, 7)
QUILL_PROP_TABLE(bool, 8)
QUILL_PROP_TABLE(unsigned short, 9)
QUILL_PROP_TABLE(cVector2, 10)
QUILL_PROP_TABLE(std::string, 11)
QUILL_PROP_TABLE(std::wstring, 12)
#undef QUILL_PROP_TABLE

const wchar_t* cProps::typeName(unsigned index)
{
    return index < TypeCount ? TypeNames[index] : L"";
}

void cProps::setFromText(const std::wstring& type, const std::wstring& name, const std::wstring& text)
{
    // Every conversion starts from the type's zero, so an empty or unreadable text stores 0.
    if (type == L"Float")
        setRead<float>(name, fromString<float>(text));
    else if (type == L"Double")
        setRead<double>(name, fromString<double>(text));
    else if (type == L"Int")
        setRead<int>(name, clampedFrom<int32_t, int>(text));
    else if (type == L"UInt")
        setRead<unsigned int>(name, clampedFrom<uint32_t, long long>(text));
    else if (type == L"Long")
        setRead<long>(name, clampedFrom<int32_t, long long>(text));
    else if (type == L"ULong")
    {
        unsigned long wide = 0;
        setRead<unsigned long>(name, within<uint32_t>(fromStringClampedOrHex(wide, text)));
    }
    else if (type == L"LongLong")
        setRead<long long>(name, clampedFrom<int64_t, long long>(text));
    else if (type == L"DXColor")
        set(name, fromString<cColor>(text));
    else if (type == L"Bool")
        set(name, fromString<bool>(text));
    else if (type == L"UInt16")
        setRead<unsigned short>(name, clampedFrom<uint16_t, long long>(text));
    else if (type == L"Vector2")
        set(name, fromString<cVector2>(text));
    else if (type == L"String")
        set(name, toNarrowString(text));
    else if (type == L"WString")
        set(name, text);
}

void cProps::clearRanges()
{
    clearRangeTables(std::make_index_sequence<TypeCount>());
}

bool cProps::inRangeName(const std::wstring& name, const std::wstring& rangeName, bool numbered)
{
    if (!numbered)
        return name == rangeName;
    if (name.size() <= rangeName.size() || name.compare(0, rangeName.size(), rangeName) != 0)
        return false;
    return name.find_first_not_of(L"0123456789", rangeName.size()) == std::wstring::npos;
}

void cProps::clearAll()
{
    clearTables(std::make_index_sequence<TypeCount>());
}

bool cProps::isEmpty()
{
    return tablesEmpty(std::make_index_sequence<TypeCount>());
}

void cProps::writeAll(std::wostream& out)
{
    writeTables(out, std::make_index_sequence<TypeCount>());
}

std::wstring cProps::fileText()
{
    std::wostringstream out;
    out << L"<?xml version=\"1.0\" encoding=\"UTF-16\"?><Props>";
    writeAll(out);
    out << L"</Props>";
    return out.str();
}

void cProps::readFile(const cProperties& root)
{
    for (cChildIterator child = root.childrenBegin(), end = root.childrenEnd(); child != end; ++child)
    {
        const cProperties& prop = *child.value();
        setFromText(prop.getAttribute(L"Type"), prop.getAttribute(L"Name"), prop.getAttribute(L"Val"));
    }
}

} // namespace Engine
