#pragma once

#include <map>
#include <string>
#include <vector>

// Turns names into small int ids and back. Ids are handed out in order of first look-up: a
// name the table lacks gets the id equal to the number of names already in it. A look-up by
// name therefore never fails; a misspelled name silently becomes a new id.
class NameIdTable
{
public:
    // The id of a name, adding the name when it is new. Names compare exactly (case-sensitive).
    int idOf(const std::wstring& name);
    // The id of a name, or -1 without adding it.
    int find(const std::wstring& name) const;
    // The name of an id; an empty text when no name has it.
    const std::wstring& nameOf(int id) const;
    int size() const { return static_cast<int>(m_names.size()); }

private:
    std::map<std::wstring, int> m_ids;
    // Ids are dense (0 .. size-1), so the names are also kept by id.
    std::vector<std::wstring> m_names;
};
