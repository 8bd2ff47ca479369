#pragma once

#include "game/heroes/ActionItem.h"

#include <cstdint>

// Makes an action from its type id: for a saved record, whose first field is the type id,
// before the action reads the rest with `load`.
//
// The table is filled by the action classes themselves: each one registers its type id and
// creator from its own source file with a static `ActionItemRegistration`, so the table is
// complete before the program's entry point runs and a new action class only adds its file.
ActionItem::Ptr ActionItemFactory(int typeId);

// True when a class is registered under the type id.
bool isActionItemRegistered(int typeId);

// Registers a creator (a new item made with its default constructor) under a type id 0..22;
// a second registration of an id replaces the first.
struct ActionItemRegistration
{
    using Creator = ActionItem* (*)();
    ActionItemRegistration(int32_t typeId, Creator creator);
};

template <class T> ActionItem* createActionItem()
{
    return new T();
}
