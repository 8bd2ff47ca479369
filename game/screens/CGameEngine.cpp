#include "game/screens/CGameEngine.h"

CGameEngine& CGameEngine::instance()
{
    static CGameEngine engine;
    return engine;
}
