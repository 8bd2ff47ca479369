#include "game/world/LevelViews.h"

#include "game/world/Game.h"

namespace
{

LevelViews*& installed()
{
    static LevelViews* views = nullptr;
    return views;
}

} // namespace

LevelViews& LevelViews::standard()
{
    if (!installed())
        throw "LevelViews::standard(): no views were installed for the level (the play state installs them).";
    return *installed();
}

void LevelViews::setStandard(LevelViews* views)
{
    installed() = views;
}

LevelViews& levelViews()
{
    if (Game* game = Game::instance())
        return game->views();
    return LevelViews::standard();
}

Engine::cView* getPlayView()
{
    return levelViews().playView();
}
