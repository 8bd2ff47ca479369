#pragma once

#include <map>
#include <string>
#include <vector>

namespace Engine
{

// What can still be read of a damaged XML file of the player's (cut short, hand-edited): the
// start tags with the attributes whose values were complete.
struct sSalvagedTag
{
    std::wstring name;
    std::map<std::wstring, std::wstring> attributes;
    // True when the tag reached its ">" (or "/>"): no attribute of it was cut off.
    bool complete = false;

    // The attribute's text, or "" when the tag has no such attribute.
    std::wstring attribute(const wchar_t* key) const
    {
        const auto found = attributes.find(key);
        return found == attributes.end() ? std::wstring() : found->second;
    }
};

// Every start tag of the text in document order (declarations, comments and end tags left
// out). A tag cut short ends at the next "<", so no later tag is lost; values are unescaped
// (the five entities and character references; characters no XML file can hold become
// U+FFFD).
std::vector<sSalvagedTag> salvageTags(const std::wstring& text);

// The text of a file's bytes: UTF-16 little- or big-endian after its byte-order mark,
// UTF-16 little-endian when the second byte is 0, else UTF-8 (an UTF-8 byte-order mark is
// skipped). A last odd byte of UTF-16 is dropped.
std::wstring decodeTextFile(const std::string& bytes);

} // namespace Engine
