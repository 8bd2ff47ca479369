#pragma once

#include "engine/core/cColor.h"
#include "engine/core/cSingleton.h"
#include "engine/ui/cForm.h"
#include "engine/ui/cImage.h"
#include "game/world/BestTimes.h"

#include <string>

// The results of a finished level ("UI/PanelLevelFinish.xml"), shown as a dialog state over
// the level: the level's name, the prize of the medal won (picture, colour and name from the
// layout's "Prizes": gold, silver, none), the fanfare, the player's time, and the level's best
// time with its holder, or the player's name and time when they make a new best (a level of no
// number, which records nothing, shows neither). OK (or Escape) hides the panel: its dialog
// state pops and the play state leaves the level.
//
// The form's children used by tag: "OkButton", "LevelNameText", "PrizeProto", "PrizeText",
// "BestTimeTextValue", "BestNameTextValue", "BestNameLabel", "TimeTextValue", and the wells
// under the texts it hides, tagged as the text with "Plate" after it. Only one panel exists at
// a time.
class cLevelFinishPanel : public Engine::cForm, public Engine::cSingleton<cLevelFinishPanel>
{
public:
    explicit cLevelFinishPanel(Engine::cControl* parent);

    // The form's children, then "JumpTime", "FlowTime", "StartDelayTime", "BestTimeDelayTime"
    // (kept) and up to three "Prizes".
    void loadXML(const Engine::tPropertiesPtr& node) override;
    // Shows the results of the level being played.
    void showResults();
    // Hides the panel once the results are shown; before that completes them first.
    void onOk();

    bool isComplete() const { return m_complete; }
    // The medal the results show: 0 gold, 1 silver, 2 none.
    int getShownMedal() const { return m_shownMedal; }
    bool isNewBest() const { return m_newBest; }
    const BestTimeRecord& getStoredRecord() const { return m_stored; }
    const std::wstring& getPrizeName(int medal) const { return m_prizeNames[medal]; }

private:
    void showPrize();
    void checkBestTime();
    // The best time under its label "BestTimeLabel", both with their wells.
    void showBestTime(bool on);
    // The best time's holder, under the label "BestNameLabel": both go with their wells when no
    // one is named.
    void showHolder(const std::wstring& name);
    // Shows or hides the child under `tag` and the well it stands on ("<tag>Plate"): a plate
    // goes with what it carries.
    void showOnPlate(const wchar_t* tag, bool on);
    // An effect of the results over the panel, above the view of a tag.
    void playEffect(const char* path, const wchar_t* above);

    Engine::cImage m_prizePictures[3];
    Engine::cColor m_prizeColors[3];
    std::wstring m_prizeNames[3];
    float m_flowTime = 0.0f;
    float m_startDelayTime = 0.0f;
    float m_bestTimeDelayTime = 0.0f;
    float m_jumpTime = 0.0f;
    BestTimeRecord m_stored;
    bool m_complete = false;
    bool m_prizeShown = false;
    bool m_newBest = false;
    int m_shownMedal = 2;
};
