#include "game/heroes/ActionItemFactory.h"

#include <array>
#include <cstdio>
#include <cstdlib>

namespace
{

using CreatorTable = std::array<ActionItemRegistration::Creator, ActionTypeCount>;

// Registrations run from static initialisers of other files: the table is made by the first
// of them, whatever the order of initialisation.
CreatorTable& creators()
{
    static CreatorTable table{};
    return table;
}

bool inRange(int typeId)
{
    return typeId >= 0 && typeId < ActionTypeCount;
}

} // namespace

ActionItemRegistration::ActionItemRegistration(int32_t typeId, Creator creator)
{
    if (!inRange(typeId))
    {
        // Runs before main: nothing could catch an exception here.
        std::fprintf(stderr, "ActionItemRegistration: type id %d is outside 0..%d\n", typeId,
                     ActionTypeCount - 1);
        std::abort();
    }
    creators()[static_cast<size_t>(typeId)] = creator;
}

ActionItem::Ptr ActionItemFactory(int typeId)
{
    if (!isActionItemRegistered(typeId))
        return ActionItem::Ptr();
    return ActionItem::Ptr(creators()[static_cast<size_t>(typeId)]());
}

bool isActionItemRegistered(int typeId)
{
    return inRange(typeId) && creators()[static_cast<size_t>(typeId)] != nullptr;
}
