#pragma once

// The particle effect files the game's layouts name, entered as silent effects: the views that
// play them load and run without a render device (and its particle library). Make the object
// before the views that play effects and let it go after them.

#include "tests/support/SilentParticles.h"

namespace GameTest
{

class SilentEffects : public Test::SilentParticles
{
public:
    SilentEffects() : Test::SilentParticles({"Effects/Sparkle.pyro", "Effects/Smoke.pyro"}) {}
};

} // namespace GameTest
