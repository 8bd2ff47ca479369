#pragma once

#include "engine/core/StringUtils.h"
#include "engine/core/cColor.h"
#include "engine/core/cVector2.h"

#include <algorithm>
#include <cstdint>
#include <iosfwd>
#include <map>
#include <set>
#include <string>
#include <type_traits>
#include <vector>

namespace Engine
{

class cProperties;

// The bounds of a value of a number type: of one name, or of every name made of `name` and a
// decimal number when `numbered`.
template <class V> struct cPropRange
{
    std::wstring name;
    bool numbered = false;
    V lowest{};
    V highest{};
};

// One value table of `cProps`: the values by name hash, the names that were set (only those are
// saved) and the bounds the program gave some of them.
template <class V> struct cPropTable
{
    std::map<uint32_t, V> values;
    std::set<std::wstring, cUtf16Less> names;
    std::vector<cPropRange<V>> ranges;
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

    // Bounds the values of a name of a number type to [lowest, highest]. The engine does not
    // know what a value means; the program declares the range of its own. A value read from the
    // property file outside the range is taken as the nearer end of it, and every value is
    // written within it, so a hand-edited or damaged file comes back in range. What the program
    // sets is kept as set until it is written. A value there already is brought within at once.
    template <class T> static void setRange(const std::wstring& name, T lowest, T highest)
    {
        addRange<T>(name, false, lowest, highest);
    }
    // The same for every name made of `prefix` and a decimal number: "Level" bounds "Level0" and
    // "Level12", not "Level" or "LevelCount".
    template <class T> static void setNumberedRange(const std::wstring& prefix, T lowest, T highest)
    {
        addRange<T>(prefix, true, lowest, highest);
    }
    // Drops every range; `clearAll` keeps them, as they belong to the program, not to a profile.
    static void clearRanges();
    // The value as the ranges of the table bound it under the name.
    template <class V> static V bounded(const cPropTable<V>& table, const std::wstring& name, V value)
    {
        if constexpr (std::is_arithmetic_v<V>)
            for (const cPropRange<V>& range : table.ranges)
                if (inRangeName(name, range.name, range.numbered))
                    return value < range.lowest    ? range.lowest
                           : range.highest < value ? range.highest
                                                   : value;
        return value;
    }

    // Sets a value from the texts of the property file: the type by its exact name (any other
    // type name is ignored), the value converted from `text` as the data loaders convert (a
    // text that does not convert gives 0 or an empty value), within its range: a number the
    // type cannot hold gives the nearer end of the type's range ("-1" for an unsigned type is
    // 0, never wrapped), a number outside a declared range the nearer end of that.
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

private:
    // Whether the range declared as `rangeName` holds for `name`.
    static bool inRangeName(const std::wstring& name, const std::wstring& rangeName, bool numbered);
    template <class T> static void addRange(const std::wstring& name, bool numbered, T lowest, T highest)
    {
        static_assert(std::is_arithmetic_v<T> && !std::is_same_v<T, bool>, "only numbers have ranges");
        using tStored = typename cPropType<T>::tStored;
        auto& table = cPropType<T>::table();
        auto& ranges = table.ranges;
        ranges.erase(std::remove_if(ranges.begin(), ranges.end(),
                                    [&](const cPropRange<tStored>& range)
                                    { return range.name == name && range.numbered == numbered; }),
                     ranges.end());
        ranges.push_back({name, numbered, static_cast<tStored>(lowest), static_cast<tStored>(highest)});
        for (const std::wstring& recorded : table.names)
        {
            const auto found = table.values.find(hashWString(recorded));
            if (found != table.values.end())
                found->second = bounded(table, recorded, found->second);
        }
    }
};

} // namespace Engine
