#pragma once

// Header only: levelcheck reads levelplay's runs with it, and the tools' tests judge its
// readings without linking either program.

#include <cstdlib>
#include <string>

namespace LevelPlay
{

// The judgement levelplay --judge gives where every goal of the level is met and the game has not
// won it: the checker's model and the game's play disagree.
inline const char* const kGoalsMetNotWon = "every goal is met, but the game has not won the level";

// What a levelplay run came to, as it printed it: its last line
// "won=0|1 clock=... medal=... frames=... open_goals=N" and its judgement ("judge: ...").
struct PlayOutcome
{
    // The last line was found.
    bool ended = false;
    bool won = false;
    float clock = -1.0f;
    int openGoals = -1;
    // The text after the last "judge: ", empty without one.
    std::string judgement;

    static PlayOutcome read(const std::string& output)
    {
        PlayOutcome outcome;
        const size_t judged = output.rfind("judge: ");
        if (judged != std::string::npos)
        {
            const size_t from = judged + 7;
            const size_t end = output.find('\n', from);
            outcome.judgement =
                output.substr(from, end == std::string::npos ? std::string::npos : end - from);
        }
        const size_t last = output.rfind("won=");
        const size_t open = output.find("open_goals=", last == std::string::npos ? 0 : last);
        if (last == std::string::npos || open == std::string::npos)
            return outcome;
        outcome.ended = true;
        outcome.won = output.compare(last, 5, "won=1") == 0;
        const size_t clock = output.find("clock=", last);
        if (clock != std::string::npos && clock < open)
            outcome.clock = std::strtof(output.c_str() + clock + 6, nullptr);
        outcome.openGoals = std::atoi(output.c_str() + open + 11);
        return outcome;
    }

    // Every goal was met and the game did not win: a level the player finishes and never wins.
    bool goalsMetNotWon() const { return ended && !won && (openGoals == 0 || judgement == kGoalsMetNotWon); }
};

// levelcheck's problem with a level (its name) whose order of clicks (as a script names them,
// empty for none) the game played to `outcome`: empty unless the game met every goal and did not
// win the level.
inline std::string goalsMetNotWon(const std::string& level, const std::string& order,
                                  const PlayOutcome& outcome)
{
    if (!outcome.goalsMetNotWon())
        return std::string();
    return level + ": " + (order.empty() ? "from its start" : "after the order " + order) +
           " every goal is met, but the game did not win the level (played at a person's pace: won=0 "
           "open_goals=" +
           std::to_string(outcome.openGoals) +
           (outcome.judgement.empty() ? "" : ", judge: " + outcome.judgement) + ")";
}

} // namespace LevelPlay
