#pragma once

#include "tools/levelplay/LevelRun.h"

#include <string>

namespace LevelPlay
{

// A person's pace on any script: a click comes no sooner than 1.5 s after the click before it,
// and no sooner than 1 s after what it clicks became clickable (its view shown, reached by the
// heroes, its cost in stock; for a built mill, something lying at it), as a person who sees
// the screen change and then moves the mouse. A script line's time is then the earliest its
// click may come. What is not clickable yet: a unit not there yet (what a plant makes), a
// hidden view or one that something lies over, a unit the heroes cannot reach, a cost the stock
// does not cover, a unit busy or already a goal, a click a tutorial tip holds (the player
// follows the tip first). A click whose unit cannot become clickable by waiting (at its last
// level, nothing to do there) comes at once and goes where it goes; one that stays unclickable
// longer than the patience comes then, and the wait is told.
class PaceKeeper
{
public:
    static constexpr float kGap = 1.5f;
    static constexpr float kSettle = 1.0f;

    PaceKeeper(LevelRun& run, float patience);

    // Whether the command may act now; asked every frame while it waits.
    bool ready(const Command& command);
    // The command acted now.
    void acted(const Command& command);

    // Medal times for a level won at that clock at this pace: gold 10% above it, silver a
    // third above gold (whole seconds, rounded up).
    static int goldFor(float clock);
    static int silverFor(int gold);

private:
    enum class Click
    {
        Now,
        Later,
        Never
    };
    Click clickable(const Command& command, std::string& why) const;

    LevelRun& m_run;
    float m_patience;
    float m_lastClick = -1.0e9f;
    // The script line watched, and the clock since which its unit has been clickable (-1 when
    // it is not).
    int m_watched = -1;
    float m_since = -1.0f;
};

} // namespace LevelPlay
