#pragma once

#include "engine/core/cControl.h"
#include "engine/core/cVector2.h"
#include "game/heroes/UnitProblem.h"

#include <boost/shared_ptr.hpp>
#include <boost/weak_ptr.hpp>

#include <array>
#include <string>
#include <vector>

class cGameResources;
class cTooltipView;
class cUnit;
class cUnitView;

namespace Engine
{
class cButtonPrototype;
class cMultiLineText;
class cPicture;
class cView;
} // namespace Engine

// The feedback while the pointer rests on something of the level ("UI/Tooltip.xml",
// "UI/selections.xml"). Over a unit it shows a coloured selection under the unit (green: a
// click would be served; red: no way there; blue: no hero free; orange: not enough resources)
// and a tip window naming the unit with rows of what it takes and gives. After a refused click
// it shows why at the unit, until the pointer leaves it or rests on something else; over a
// unit's upgrade button and over the status panel's resources it shows their tips. When the
// pointer has rested on a unit for a moment, the unit's state sound plays.
//
// What is shown belongs to the control the pointer was last seen on, and follows the pointer
// rather than the order of the controls' signals: a leave from another control than that one
// is stale and changes nothing, a hover on a new control first takes away what the old one
// showed, and each frame the control is judged again from the pointer's place, so that what a
// moved pointer, a hidden control or a control gone from under a resting pointer leaves behind
// goes as a leave would take it.
//
// One manager serves the whole run: a non-visual object of the tree without parent, built on
// first use and shut down before the application goes.
class TooltipManager : public Engine::cControl
{
public:
    enum Window
    {
        ProduceTip,
        MillTip,
        PlaceTip,
        UpgradeTip,
        NoWayTip,
        NoBringToTooltipTip,
        NoFreeHeroesTip,
        NotEnoughTip,
        BarrierTip,
        ResourceTip,
        GarbageResTip,
        SaveTip,
        BaseTip,
        BonusTip,
        InFireTip,
        DamagedTip,
        WindowCount
    };
    // The selection pictures of one "Selection" number, by colour.
    enum Colour
    {
        Green,
        Red,
        Blue,
        Orange,
        ColourCount
    };
    using SelectionSet = std::array<Engine::cPicture*, ColourCount>;

    static constexpr float TipDeep = 9000.0f;

    static TooltipManager& instance();
    // Deletes the manager with its windows (the next `instance` builds it again).
    static void shutdown();
    static const wchar_t* windowName(Window window);

    ~TooltipManager() override;

    // The control under the shown tips judged from the pointer's place; then the hovered unit's
    // state sound once the pointer has rested on it for "UnitSoundDelay".
    void update() override;

    void onUnitViewHover(Engine::cView* view);
    void onUnitViewLeave(Engine::cView* view);
    // The base's attached units changed: a shown selection follows its unit's problem.
    void onUnitChanged(boost::shared_ptr<cUnit> unit);
    void onUnitRemoved(boost::shared_ptr<cUnit> unit);
    void onUnitUpdated(boost::shared_ptr<cUnit> unit);
    // A refused click: the tip of the problem at the unit.
    void showProblemTip(boost::shared_ptr<cUnit> unit, UnitProblem problem);
    // A refused upgrade: for missing resources a text listing them over the unit, else as
    // showProblemTip.
    void onUnitProblem(boost::shared_ptr<cUnit> unit, UnitProblem problem);
    void onUpgradeButtonHover(Engine::cView* button, cUnitView* view);
    void onUpgradeButtonLeave(Engine::cView* button, cUnitView* view);
    void onResourceRowHover(Engine::cView* row, const std::wstring& name);
    void onResourceRowLeave(Engine::cView* row);
    // The shown selection and tip follow the level's changes.
    void refresh();
    // Hides everything and forgets the hovered unit.
    void reset();

    cTooltipView* getWindow(Window window) const { return m_windows[window]; }
    cTooltipView* getCurrentWindow() const { return m_currentWindow; }
    Engine::cMultiLineText* getTipText() const { return m_tipText; }
    Engine::cPicture* getCurrentSelection() const { return m_currentSelection; }
    const std::vector<SelectionSet>& getSelectionSets() const { return m_selections; }
    boost::shared_ptr<cUnit> getSelectedUnit() const { return m_selectedUnit; }
    boost::shared_ptr<cUnit> getHoveredUnit() const { return m_hoveredUnit.lock(); }
    float getSoundDelay() const { return m_soundDelay; }
    const std::wstring& getTextFragment(size_t index) const { return m_fragments[index]; }

    // The part of `cost` that `have` lacks.
    static cGameResources missing(const cGameResources& have, const cGameResources& cost);

private:
    // The kinds of control that show tips, by what their leave takes away.
    enum class Owner
    {
        None,
        Unit,
        UpgradeButton,
        ResourceRow
    };

    TooltipManager();
    void load();

    // `view` becomes the owner of what is shown, after an owner before it has taken its tips
    // away.
    void takeOwner(Engine::cView* view, Owner kind);
    // Whether a leave from `view` is the owner's: a leave from another control is stale. A
    // leave that names no control is taken as the owner's.
    bool isOwnersLeave(const Engine::cView* view) const;
    // What the leave of a kind of control does (a unit's takes its selection too); the owner is
    // forgotten.
    void leave(Owner kind);
    // The owner still shown under the pointer, or its leave raised.
    void judgeOwner();

    void showSelection(cUnitView* view, int problem);
    void hideSelection();
    void composeTip(cUnitView* view);
    void hideTips();
    void resetWindow(cTooltipView* window);
    void setCurrentWindow(cTooltipView* window);
    // Resets, names, places and shows a window with its two rows.
    cTooltipView* buildTip(Window window, bool named, const std::wstring& name, const Engine::cVector2& at,
                           const cGameResources& in, const cGameResources& out);
    cTooltipView* buildBonusTip(const cUnit& unit, const Engine::cVector2& at);
    void showUnitTypeTip(const std::wstring& name, const Engine::cVector2& at);
    void appendMissingText(std::wstring& text, const cGameResources& cost) const;
    // The unit's problem as a click would meet it now.
    int problemOf(const boost::shared_ptr<cUnit>& unit) const;

    std::array<std::wstring, 6> m_fragments;
    boost::weak_ptr<cUnit> m_hoveredUnit;
    boost::shared_ptr<cUnit> m_selectedUnit;
    // Owned: the tip text, the windows and the selection pictures have no parent.
    Engine::cMultiLineText* m_tipText;
    std::array<cTooltipView*, WindowCount> m_windows{};
    cTooltipView* m_currentWindow = nullptr;
    std::vector<SelectionSet> m_selections;
    Engine::cPicture* m_currentSelection = nullptr;
    float m_soundDelay = 0.0f;
    // Kept as a tree object: it is judged alive before it is taken as a button.
    Engine::cControl* m_owner = nullptr;
    Owner m_ownerKind = Owner::None;
};
