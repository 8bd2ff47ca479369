#pragma once

#include <boost/shared_ptr.hpp>

#include <map>
#include <string>

class UnitViewDescription;

// The view descriptions of the unit types, each loaded once on first request from
// "Units/" + type name + ".xml" and kept until the level ends. A type without a file has
// none (asked again, it is looked for again).
class UnitViewLibrary
{
public:
    static UnitViewLibrary& instance();

    UnitViewLibrary(const UnitViewLibrary&) = delete;
    UnitViewLibrary& operator=(const UnitViewLibrary&) = delete;

    boost::shared_ptr<UnitViewDescription> findOrLoad(int typeId);
    void clear() { m_descriptions.clear(); }

private:
    UnitViewLibrary() = default;

    std::map<int, boost::shared_ptr<UnitViewDescription>> m_descriptions;
};
