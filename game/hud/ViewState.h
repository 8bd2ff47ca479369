#pragma once

#include <string>

// One look of a unit type: how a unit shows a state, and the game sound played when it is
// shown ("sound_id"). Read from a view-state element of the type's view description.
//
// This is the part of a view state that the level model reads; the views that draw it join
// it with the unit views.
class ViewState
{
public:
    ViewState(std::wstring stateName, std::string sound)
        : name(std::move(stateName)), soundId(std::move(sound))
    {
    }

    std::wstring name;
    std::string soundId;
};
