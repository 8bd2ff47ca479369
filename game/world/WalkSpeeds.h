#pragma once

// The walking speeds of the game configuration, in cells per second, as the route search
// and the walking action use them. "Men" are heroes that carry something (level above 0).
struct WalkSpeeds
{
    float hero = 2.0f;      // "HeroSpeed"; also the divisor of the route search's estimate
    float man = 1.0f;       // "HeroSpeedMan"
    float heroSlow = 1.5f;  // HeroSpeed × kSlowCellSpeed
    float heroFast = 3.0f;  // HeroSpeed × kFastCellSpeed
    float manSlow = 0.75f;  // HeroSpeedMan × kSlowCellSpeed
    float manFast = 1.5f;   // HeroSpeedMan × kFastCellSpeed
    float heroBonus = 1.0f; // "kHeroBonusSpeed"
    float manBonus = 1.0f;  // "kManBonusSpeed"
};
