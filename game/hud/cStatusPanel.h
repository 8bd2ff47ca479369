#pragma once

#include "engine/core/cSingleton.h"
#include "engine/ui/cPicture.h"

#include <map>
#include <string>
#include <vector>

// The in-level head-up panel: the level clock against the gold and silver times, the player's
// resource counts and one row per goal category. One exists while a level is played, a child
// of the play view; the level model tells it when resources and goals change, and the clock
// and the medal follow the level every frame.
//
// This is the panel's model: the texts it shows and its rows. Its layout ("UI/PanelStatus.xml"),
// the goal arrows and the effects join it with the game's views.
class cStatusPanel : public Engine::cPicture, public Engine::cSingleton<cStatusPanel>
{
public:
    struct GoalRow
    {
        std::string category;
        int total = 0;
        int done = 0;
    };

    explicit cStatusPanel(Engine::cControl* parent);

    // While enabled: the clock and the medal.
    void update() override;
    // The clock as "mm:ss" when it differs from the time shown.
    void updateTime();
    // 0 gold, 1 silver, 2 none, by the level clock.
    void updateMedal();
    // Each resource's count text from the level's resource set.
    void updateResources();
    // The goal rows from the level's goals: per category (in byte order) how many goals there
    // are and how many are done. A goal without a category leaves the rows as they were.
    void updateGoals();

    // -1 before the first update, then 0, 1 or 2.
    int getMedalState() const { return m_medalState; }
    static int medalFor(float time, float goldTime, float silverTime);
    const std::wstring& getTimeText() const { return m_timeText; }
    // The count text of a resource by name; empty when none was written.
    std::wstring getResourceText(const std::wstring& name) const;
    const std::vector<GoalRow>& getGoalRows() const { return m_rows; }

private:
    float m_shownTime = -1.0f;
    std::wstring m_timeText;
    int m_medalState = -1;
    std::map<std::wstring, std::wstring> m_resourceTexts;
    std::vector<GoalRow> m_rows;
};
