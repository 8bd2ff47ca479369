#include "game/heroes/ActionItem.h"

void ActionItem::start()
{
    m_active = true;
    started(this);
}

void ActionItem::complete()
{
    m_active = false;
    completed(this);
}
