#pragma once

#include "engine/core/StringUtils.h"
#include "engine/core/cColor.h"
#include "engine/core/cVector2.h"

#include <cstdint>
#include <iosfwd>
#include <map>
#include <set>
#include <string>

namespace Engine
{

class cProperties;

// One value table of `cProps`: the values by name hash, and the names that were set (only
// those are saved).
template <class V> struct cPropTable
{
    std::map<uint32_t, V> values;
    std::set<std::wstring, cUtf16Less> names;
};

// The C++ type of each of the 13 value types, the type stored and the type's place in the
// fixed order. Long and ULong hold 32 bits whatever the width of `long`.
template <class T> struct cPropType;

#define QUILL_PROP_TYPE(Type, Stored, Index)                                                                 \
    template <> struct cPropType<Type>                                                                       \
    {                                                                                                        \
        using tStored = Stored;                                                                              \
        static constexpr unsigned index = Index;                                                             \
        static cPropTable<Stored>& table();                                                                  \
    };
QUILL_PROP_TYPE(float, float, 0)
QUILL_PROP_TYPE(double, double, 1)
QUILL_PROP_TYPE(int, int32_t, 2)
QUILL_PROP_TYPE(unsigned int, uint32_t, 3)
QUILL_PROP_TYPE(long, int32_t, 4)
QUILL_PROP_TYPE(unsigned long, uint32_t, 5)
QUILL_PROP_TYPE(long long, int64_t, 6)
QUILL_PROP_TYPE(cColor, cColor, 7)
QUILL_PROP_TYPE(bool, bool, 8)
QUILL_PROP_TYPE(unsigned short, uint16_t, 9)
QUILL_PROP_TYPE(cVector2, cVector2, 10)
QUILL_PROP_TYPE(std::string, std::string, 11)
QUILL_PROP_TYPE(std::wstring, std::wstring, 12)
#undef QUILL_PROP_TYPE

// The named values of the current player profile ("CurrentLevel", "Level7", ...), one table
// per value type. The tables belong to the program, not to an object: the profile manager
// fills them when a profile loads, clears them when a profile is created or the manager ends,
// and writes them to the profile's property file on every save. Values can be read and set
// while no profile is loaded.
//
// A name is keyed by its hash (`hashWString`), so two names with one hash share a value.
class cProps
{
public:
    static constexpr unsigned TypeCount = 13;
    // "Float", "Double", "Int", "UInt", "Long", "ULong", "LongLong", "DXColor", "Bool",
    // "UInt16", "Vector2", "String", "WString": the type names of the property file.
    static const wchar_t* typeName(unsigned index);

    // The value of the name; a name not there yet is entered with 0 (or an empty value), which
    // is returned. Reading does not record the name, so a value only read is not saved.
    template <class T> static T get(const std::wstring& name)
    {
        auto& table = cPropType<T>::table();
        return static_cast<T>(table.values.try_emplace(hashWString(name)).first->second);
    }
    // Copies the value into `out` only when the name has a value; answers whether it had.
    template <class T> static bool getIfPresent(const std::wstring& name, T& out)
    {
        const auto& values = cPropType<T>::table().values;
        const auto found = values.find(hashWString(name));
        if (found == values.end())
            return false;
        out = static_cast<T>(found->second);
        return true;
    }
    // Stores the value and records the name, so the next save writes it.
    template <class T> static void set(const std::wstring& name, const T& value)
    {
        auto& table = cPropType<T>::table();
        table.names.insert(name);
        table.values[hashWString(name)] = static_cast<typename cPropType<T>::tStored>(value);
    }

    // Sets a value from the texts of the property file: the type by its exact name (any other
    // type name is ignored), the value converted from `text` as the data loaders convert (a
    // text that does not convert gives 0 or an empty value; so does a number the type cannot
    // hold, a negative one for an unsigned type included, which is never wrapped).
    static void setFromText(const std::wstring& type, const std::wstring& name, const std::wstring& text);
    // Empties every table and every name set.
    static void clearAll();
    // True when no name is recorded in any table.
    static bool isEmpty();
    // Appends one `<prop Name="..." Val="..." Type="..." />` per recorded name: types in the
    // fixed order, names within a type in ascending order.
    static void writeAll(std::wostream& out);
    // The text of a whole property file, on one line: the XML declaration, "<Props>", the
    // prop elements, "</Props>".
    static std::wstring fileText();
    // Sets every value of a property document: each child of the root, whatever its name,
    // hands its "Type", "Name" and "Val" to `setFromText`.
    static void readFile(const cProperties& root);
};

} // namespace Engine
