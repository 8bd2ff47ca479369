#pragma once

#include "engine/core/cSingleton.h"
#include "engine/core/cVector2.h"
#include "engine/ui/cForm.h"

#include <boost/signals2/connection.hpp>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

class cGameResources;

namespace Engine
{
class cProgressFloat;
class cPyro;
class cTextLine;
class cView;
} // namespace Engine

// The in-level head-up panel ("UI/PanelStatus.xml"): the level clock as "mm:ss" with a bar
// running down over the silver time and the gold and silver marks on it, one count per resource,
// and one row per goal category with a tick once every goal of the category is done. Hovering a
// resource asks the tooltips for its tip; hovering a goal row's button puts an arrow over every
// unit whose goal of that category is still open.
//
// One exists while a level is played, a child of the play view, built by the play state; the
// level tells it when resources and goals change, its counts flash as the level gains
// resources, and the clock and the medal follow the level every frame while it is enabled.
//
// The form's children used by tag: "TimeText", "TimeProgress", "PerfectGoldPicture",
// "PerfectGoldTimeText", "PerfectSilverPicture", "PerfectSilverTimeText" and the tag it stands
// on, "PerfectSilverTimeTextPlate" (shown and hidden with it), "Resources" (a form
// with a hover button per resource, tagged by its name, and a text tagged name + "Count"), and
// in every goal row "AimButton", "Ready", "Text", "Desc". Beside the form's children: "Aim"
// (required: the rows), "GoalCategories" (category id to the row's text), "PyroEffect".
class cStatusPanel : public Engine::cForm, public Engine::cSingleton<cStatusPanel>
{
public:
    // A goal category as the rows show it.
    struct GoalRow
    {
        std::string category;
        int total = 0;
        int done = 0;
    };

    // Loads "UI/PanelStatus.xml", connects the resource rows to the tooltips and shows itself.
    explicit cStatusPanel(Engine::cControl* parent);
    ~cStatusPanel() override;

    // While enabled: the clock and the medal.
    void update() override;
    void loadXML(const Engine::tPropertiesPtr& node) override;

    // The clock text and the bar, when the clock differs from the time shown.
    void updateTime();
    // 0 within the gold time, 1 within the silver time, 2 past it.
    void updateMedal();
    // The marks and times that can still be made: both in state 0, silver in 1, none in 2. A
    // time's tag shows and hides with the time it carries.
    void showMedal(int32_t state);
    // Each resource's count text from the level's resource set.
    void updateResources();
    // The goal rows from the level's goals, a row per category in byte order. A goal without a
    // category leaves the rows as they were. A count that changed plays the subtask effect, or
    // the task effect when the category is complete.
    void updateGoals();
    // The flash effect over the count of every resource of the set.
    void flashResources(const cGameResources& resources);
    void onAimHover(Engine::cView* button);
    void onAimLeave(Engine::cView* button);
    void playTaskEffect(float deep, const Engine::cVector2& position);
    void playSubTaskEffect(float deep, const Engine::cVector2& position);

    // -1 before the first frame, then 0, 1 or 2.
    int32_t getMedalState() const { return m_medalState; }
    // The medal of a level `time`: 0 within the gold time, 1 within the silver time, 2 past it,
    // judged on the whole seconds the clock shows (Engine::timeToString), as the results show the
    // time and the best times keep it: a time stays within a medal time while the clock still
    // shows that time.
    static int32_t medalFor(float time, float goldTime, float silverTime);
    // The clock text shown; empty without a "TimeText".
    std::wstring getTimeText() const;
    // The count text of a resource by name; empty when the panel has none.
    std::wstring getResourceText(const std::wstring& name) const;
    const std::vector<GoalRow>& getGoalRows() const { return m_goalRows; }
    const std::vector<Engine::cForm*>& getRows() const { return m_rows; }
    const std::vector<std::string>& getRowCategories() const { return m_rowCategories; }
    Engine::cPyro* getTaskEffect() const { return m_taskEffect; }
    Engine::cPyro* getSubTaskEffect() const { return m_subTaskEffect; }

private:
    // Listens to the level for the resources it gains, once per level model: a level made
    // after the panel (a save that could not be continued starts the level afresh) is heard too.
    void followLevel();
    void onResourceLeave(Engine::cView* row);
    Engine::cTextLine* resourceCount(const std::wstring& name) const;
    void playCopy(Engine::cPyro* effect, float deep, const Engine::cVector2& position);

    float m_shownTime = -100.0f;
    uint32_t m_goldColor = 0;
    uint32_t m_silverColor = 0;
    Engine::cVector2 m_firstAimOffset;
    Engine::cVector2 m_aimStep;
    // Children of the panel (owned by the tree).
    std::vector<Engine::cForm*> m_rows;
    std::vector<std::string> m_rowCategories;
    std::vector<GoalRow> m_goalRows;
    int32_t m_medalState = -1;
    Engine::cPyro* m_flashEffect = nullptr;
    Engine::cPyro* m_taskEffect = nullptr;
    Engine::cPyro* m_subTaskEffect = nullptr;
    std::map<std::string, std::wstring> m_categoryTexts;
    bool m_tooManyCategoriesLogged = false;
    // To the level's resources-gained signal; it goes with the level.
    boost::signals2::scoped_connection m_gainConnection;
};
