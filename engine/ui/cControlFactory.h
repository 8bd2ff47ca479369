#pragma once

#include "engine/core/cProperties.h"

#include <boost/function.hpp>

#include <cstdint>
#include <initializer_list>
#include <map>
#include <string>

namespace Engine
{

class cControl;
class cView;

// Makes the controls of the layout files by class name.
//
// A layout element names its class in "Class" (or "class"); the factory keys every class by the
// hash of its lower-case name and holds one creator per key, which constructs the control under
// a parent view. Each control class registers its own names from its own source file with a
// static `cRegistration`, so the table is complete before the program's entry point runs, and
// a class built later only adds its file.
class cControlFactory
{
public:
    using tCreator = boost::function<cControl*(cView* parent)>;

    // Registers `creator` under every one of `names` (lower case) when it is constructed.
    struct cRegistration
    {
        cRegistration(std::initializer_list<const wchar_t*> names, const tCreator& creator);
    };

    // The one factory of the program, made on first use.
    static cControlFactory& instance();

    // A second registration of a key replaces the first.
    void registerCreator(uint32_t key, const tCreator& creator);
    // A new control with that parent, or null when the key is not registered.
    cControl* create(uint32_t key, cView* parent) const;
    bool isRegistered(uint32_t key) const { return m_creators.count(key) != 0; }
    std::size_t size() const { return m_creators.size(); }

    // The key of a class name: the name hash (`hashWString`) of its lower-case text.
    static uint32_t classKey(const std::wstring& name);

    // Turns one child element of a layout into a control under `parent`: the class is "Class",
    // else "class" (either lower-cased), else the element's own name key, so an element named
    // "picture" makes a picture. The control is made, reads "Tag" into `tag` and loads itself
    // from the element. An element without a class attribute whose name is no class (a data
    // child such as "PyroEffects") gives null, and so does a class attribute naming no known
    // class.
    // A failure while loading is thrown again naming the element and its class.
    //   element   the child's entry in its parent's child table (its name key and node)
    //   index     its position there, which names it when the tree keeps no names
    static cControl* createFromElement(cView* parent, const cChildIterator& element, unsigned index,
                                       std::wstring& tag);

private:
    std::map<uint32_t, tCreator> m_creators;
};

// The creator of a class constructed from its parent.
template <class T> cControl* createControl(cView* parent)
{
    return new T(parent);
}

} // namespace Engine
