#pragma once

#include <boost/function.hpp>

// The shutdowns of the game's managers held in function-local statics (the tooltip manager, the
// tutorial, the states' views): each registers its own when it makes what must go before the
// engine does. The state machine runs them (CGameEngine::runShutdowns) after the states have
// left and before the application goes, so that no static touches the object tree or a device
// at process exit.
//
// It lives with the rules, the lowest layer of the game, so that a manager of any layer can
// register with it.
class ManagerShutdowns
{
public:
    static void add(const boost::function<void()>& shutdown);
    // Runs every registered shutdown, the last registered first, and forgets them; one
    // registered meanwhile waits for the next run.
    static void runAll();
};
