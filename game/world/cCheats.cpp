#include "game/world/cCheats.h"

#include "engine/devices/cInput.h"

cCheats& cCheats::instance()
{
    static cCheats cheats;
    return cheats;
}

cCheats::cCheats()
{
    if (Engine::cInput* input = Engine::cInput::instance())
        m_connection = input->connectChar([this](wchar_t c) { onChar(c); });
}

cCheats::~cCheats()
{
    shutdown();
}

void cCheats::shutdown()
{
    // A connection outlives its signal safely: this works after the input has gone too.
    m_connection.disconnect();
}

void cCheats::onChar(wchar_t)
{
    // No word is defined: typed characters change nothing.
}
