#pragma once

#include <boost/shared_ptr.hpp>

#include <map>
#include <set>

class UnitViewDescription;

// The view descriptions of the unit types, each loaded once on first request from
// "Units/" + type name + ".xml" and kept until the play state clears the library when a level
// ends. A type without a file has none: the request is logged once and tried again next time.
class UnitViewLibrary
{
public:
    static UnitViewLibrary& instance();

    UnitViewLibrary(const UnitViewLibrary&) = delete;
    UnitViewLibrary& operator=(const UnitViewLibrary&) = delete;

    // The description of a unit type; empty when the type has no file. A file that cannot be
    // read throws the loader's text, which names the file.
    boost::shared_ptr<UnitViewDescription> findOrLoad(int typeId);
    // Releases the view states of every description and forgets them all.
    void clear();
    size_t size() const { return m_descriptions.size(); }

private:
    UnitViewLibrary() = default;

    std::map<int, boost::shared_ptr<UnitViewDescription>> m_descriptions;
    // Types whose missing description was reported since the last clear.
    std::set<int> m_reported;
};
