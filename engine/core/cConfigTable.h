#pragma once

#include "engine/core/StringUtils.h"
#include "engine/core/cColor.h"
#include "engine/core/cVector3.h"

#include <map>
#include <string>
#include <type_traits>

namespace Engine
{

class cProperties;

// The configuration table shared by `cConstants` and `cSettings`: text values addressed by a
// group and a key, read from a document whose root holds one element per group with the keys
// as attributes. Values stay text; each get converts anew.
//
// A get of a group or key that is missing answers false, leaves the target as it was and adds
// the entry with an empty text, so a settings file written later names every key the program
// asked for. A get of a text that does not convert answers true and leaves the target as well.
class cConfigTable
{
public:
    using tKeys = std::map<std::wstring, std::wstring, cUtf16Less>;
    using tGroups = std::map<std::wstring, tKeys, cUtf16Less>;

    // An empty table (constants and settings load theirs from a file, see the subclasses).
    cConfigTable();
    virtual ~cConfigTable();

    virtual bool get(const std::wstring& group, const std::wstring& key, cColor& out);
    virtual bool get(const std::wstring& group, const std::wstring& key, std::wstring& out);
    // The whole text made narrow (UTF-8).
    virtual bool get(const std::wstring& group, const std::wstring& key, std::string& out);
    virtual bool get(const std::wstring& group, const std::wstring& key, cVector3& out);
    virtual bool get(const std::wstring& group, const std::wstring& key, float& out);
    // Whole numbers are decimal ("0x10" reads as 0, as a stream would read it) and brought
    // into the type's range (`fromStringClamped`): "-1" reads as 0 for an unsigned type, never
    // as the largest value, and "99999999999" as the largest int.
    virtual bool get(const std::wstring& group, const std::wstring& key, unsigned long& out);
    virtual bool get(const std::wstring& group, const std::wstring& key, long& out);
    virtual bool get(const std::wstring& group, const std::wstring& key, unsigned int& out);
    virtual bool get(const std::wstring& group, const std::wstring& key, int& out);
    // The number 0 or 1.
    virtual bool get(const std::wstring& group, const std::wstring& key, bool& out);

    // `get<bool>(group, key, value)` for callers that name the type.
    template <class T> bool get(const std::wstring& group, const std::wstring& key, T& out)
    {
        static_assert(isValueType<T>(), "the table holds no values of this type");
        return get(group, key, out);
    }

    // Adds every group and key of a document root: each child element is a group (a later
    // element of the same name adds to it), each of its attributes a key (a repeated key
    // overwrites). Texts and deeper elements are ignored.
    void readTable(const cProperties& root);
    // The whole table as the file text: the XML declaration, "<main>", one element per group
    // with its keys as attributes in table order, "</main>", on one line. Groups and keys that
    // are no XML names are left out (the file would not load again), and a key "copy" or
    // "remove" never stands first in its element, where the loader would take it for an
    // instruction: what is read from a file writes back as a file that reads the same.
    std::wstring toXml() const;
    const tGroups& getTable() const { return m_table; }
    // The stored text of an entry, or null; adds nothing.
    const std::wstring* findText(const std::wstring& group, const std::wstring& key) const;
    // Stores a text, creating the group and key when missing.
    void setText(const std::wstring& group, const std::wstring& key, const std::wstring& text);

    // The texts the setters store.
    static std::wstring colorText(const cColor& value);
    static std::wstring floatText(float value);
    static std::wstring vectorText(const cVector3& value);

    template <class T> static constexpr bool isValueType()
    {
        return std::is_same_v<T, cColor> || std::is_same_v<T, std::wstring> ||
               std::is_same_v<T, std::string> || std::is_same_v<T, cVector3> || std::is_same_v<T, float> ||
               std::is_same_v<T, unsigned long> || std::is_same_v<T, long> ||
               std::is_same_v<T, unsigned int> || std::is_same_v<T, int> || std::is_same_v<T, bool>;
    }

protected:
    // Loads the document at `path` (through the resource manager's cache when there is one)
    // into the table. Throws the file system's or the XML loader's error.
    void loadFile(const std::string& path);
    const std::string& getPath() const { return m_path; }

private:
    // The entry's text, or null after adding the entry with an empty text.
    const std::wstring* lookUp(const std::wstring& group, const std::wstring& key);

    tGroups m_table;
    std::string m_path;
};

} // namespace Engine
