#include "game/hud/TooltipManager.h"

#include "engine/core/StringUtils.h"
#include "engine/core/cFileSystem.h"
#include "engine/core/cLogic.h"
#include "engine/core/cStrings.h"
#include "engine/core/cTimer.h"
#include "engine/devices/cResourceManager.h"
#include "engine/ui/cButtonPrototype.h"
#include "engine/ui/cMultiLineText.h"
#include "engine/ui/cPicture.h"
#include "game/heroes/GameController.h"
#include "game/hud/UnitViewDescription.h"
#include "game/hud/UnitViewLibrary.h"
#include "game/hud/cTooltipView.h"
#include "game/hud/cUnitView.h"
#include "game/world/Game.h"
#include "game/world/GameConfig.h"
#include "game/world/GridPathFinder.h"
#include "game/world/LevelTutor.h"
#include "game/world/ManagerShutdowns.h"
#include "game/world/UnitCategories.h"
#include "game/world/UnitLevelInfo.h"
#include "game/world/UnitTypeInfo.h"
#include "game/world/cUnit.h"

namespace
{

const wchar_t* const WindowNames[TooltipManager::WindowCount] = {
    L"ProduceTip",          L"MillTip",         L"PlaceTip",     L"UpgradeTip", L"NoWayTip",
    L"NoBringToTooltipTip", L"NoFreeHeroesTip", L"NotEnoughTip", L"BarrierTip", L"ResourceTip",
    L"GarbageResTip",       L"SaveTip",         L"BaseTip",      L"BonusTip",   L"InFireTip",
    L"DamagedTip"};

const wchar_t* const FragmentNames[6] = {L"Income", L"Place",        L"NotEnough",
                                         L"NoWay",  L"NoFreeHeroes", L"Upgrade"};

// The text put before the missing resources of a refused upgrade; the strings table may give
// it in the player's language.
const wchar_t* const MissingText = L"Не хватает: ";

TooltipManager*& holder()
{
    static TooltipManager* manager = nullptr;
    return manager;
}

std::wstring categoryOf(const cUnit& unit)
{
    const auto type = unit.getTypeInfo();
    return type ? GameConfig::instance().categoryNames().nameOf(type->categoryId) : std::wstring();
}

const cGameResources& emptySet()
{
    static const cGameResources empty;
    return empty;
}

// The name a tip shows: the view description's, else the unit type's.
std::wstring displayName(const cUnit& unit, const cUnitView* view)
{
    const auto description =
        view ? view->getDescription() : UnitViewLibrary::instance().findOrLoad(unit.getTypeId());
    if (description && !description->getName().empty())
        return description->getName();
    return GameConfig::instance().unitNames().nameOf(unit.getTypeId());
}

bool tutorialTipShown()
{
    return static_cast<bool>(LevelTutor::instance().getPointedUnit());
}

} // namespace

TooltipManager& TooltipManager::instance()
{
    TooltipManager*& manager = holder();
    if (!manager)
    {
        manager = new TooltipManager();
        ManagerShutdowns::add(&TooltipManager::shutdown);
    }
    return *manager;
}

void TooltipManager::shutdown()
{
    TooltipManager*& manager = holder();
    delete manager;
    manager = nullptr;
}

const wchar_t* TooltipManager::windowName(Window window)
{
    return WindowNames[window];
}

TooltipManager::TooltipManager() : Engine::cControl(nullptr), m_tipText(new Engine::cMultiLineText(nullptr))
{
    for (cTooltipView*& window : m_windows)
        window = new cTooltipView(nullptr);
    load();
    m_soundDelay = 0.0f;
    show();
    enable();
}

TooltipManager::~TooltipManager()
{
    // The windows and pictures are roots of the tree: they go with the manager.
    delete m_tipText;
    for (cTooltipView* window : m_windows)
        delete window;
    for (const SelectionSet& set : m_selections)
        for (Engine::cPicture* picture : set)
            delete picture;
}

void TooltipManager::load()
{
    Engine::cResourceManager* resources = Engine::cResourceManager::instance();
    if (!resources)
        throw "TooltipManager: the tooltips are read through the resource manager, which does not exist.";
    const Engine::tPropertiesPtr root = resources->getXml("UI/Tooltip.xml", true);
    Engine::tPropertiesPtr strings;
    if (root->getChild(L"Strings", strings))
        for (size_t i = 0; i < m_fragments.size(); ++i)
            m_fragments[i] = strings->getAttribute(FragmentNames[i]);
    Engine::loadChildXML(m_tipText, root, L"tooltiptext", nullptr);
    m_tipText->setDeep(TipDeep);
    m_tipText->hide();
    for (int i = 0; i < WindowCount; ++i)
    {
        Engine::loadChildXML(m_windows[i], root, WindowNames[i], nullptr);
        m_windows[i]->setDeep(TipDeep);
        m_windows[i]->show();
        m_windows[i]->enable();
        m_windows[i]->hide();
    }
    const Engine::cFileSystem* files = Engine::cFileSystem::instance();
    if (!files || !files->isKnown("UI/selections.xml"))
        return;
    Engine::tPropertiesList styles;
    resources->getXml("UI/selections.xml", true)->getChildren(styles);
    for (const auto& style : styles)
    {
        SelectionSet set{};
        static const wchar_t* const colours[ColourCount] = {L"Green", L"Red", L"Blue", L"Orange"};
        for (int colour = 0; colour < ColourCount; ++colour)
        {
            set[colour] = new Engine::cPicture(nullptr);
            Engine::loadChildXML(set[colour], style, colours[colour], nullptr);
            set[colour]->hide();
        }
        m_selections.push_back(set);
    }
}

void TooltipManager::update()
{
    judgeOwner();
    const Engine::cTimer* timer = Engine::cTimer::instance();
    if (m_soundDelay <= 0.0f)
        return;
    m_soundDelay -= timer ? timer->getFrameTime() : 0.0f;
    if (m_soundDelay > 0.0f)
        return;
    m_soundDelay = 0.0f;
    const boost::shared_ptr<cUnit> unit = m_hoveredUnit.lock();
    if (Game* game = Game::instance(); game && unit)
        game->playUnitStateSound(unit);
}

void TooltipManager::takeOwner(Engine::cView* view, Owner kind)
{
    Engine::cControl* owner = dynamic_cast<Engine::cButtonPrototype*>(view);
    if (m_owner && m_owner != owner)
        leave(m_ownerKind);
    m_owner = owner;
    m_ownerKind = owner ? kind : Owner::None;
}

bool TooltipManager::isOwnersLeave(const Engine::cView* view) const
{
    return !view || !m_owner || static_cast<const Engine::cControl*>(view) == m_owner;
}

void TooltipManager::leave(Owner kind)
{
    m_owner = nullptr;
    m_ownerKind = Owner::None;
    switch (kind)
    {
    case Owner::Unit:
        hideTips();
        hideSelection();
        m_hoveredUnit.reset();
        break;
    case Owner::UpgradeButton:
        m_tipText->hide();
        m_windows[UpgradeTip]->hideTip();
        break;
    case Owner::ResourceRow:
        hideTips();
        break;
    case Owner::None:
        break;
    }
}

void TooltipManager::judgeOwner()
{
    if (!m_owner)
        return;
    // The owner is kept by address only: a control deleted since, or one made at its address,
    // is no longer what the tips answer.
    auto* owner =
        Engine::cControl::isAlive(m_owner) ? dynamic_cast<Engine::cButtonPrototype*>(m_owner) : nullptr;
    if (!owner)
    {
        leave(m_ownerKind);
        return;
    }
    const Engine::cLogic* logic = Engine::cLogic::instance();
    if (!logic || (owner->isShown() && owner->containsPoint(logic->getMousePosition())))
        return;
    // The pointer is not on it, though no leave came: it was hidden under the pointer, went
    // from under it, or the pointer's last move was told before the pointer got where it is.
    // The control is told the pointer left, so that its look follows and its leave takes the
    // tips; one that cannot raise a leave now loses them all the same.
    if (owner->getState() == Engine::cButtonPrototype::StateHover && !owner->isInputLocked())
        owner->onLeave();
    if (m_owner == owner)
        leave(m_ownerKind);
}

int TooltipManager::problemOf(const boost::shared_ptr<cUnit>& unit) const
{
    Game* game = Game::instance();
    if (!game || !unit)
        return NoProblem;
    // The planner's own answer, so that the colour tells what a click would meet.
    cGameResources cost;
    Engine::cPoint blocked = kNoCell;
    return game->getController().getUnitProblem(unit, cost, blocked);
}

void TooltipManager::showSelection(cUnitView* view, int problem)
{
    if (!view || !view->getUnit())
        return;
    boost::shared_ptr<cUnit> unit = view->getUnit();
    const std::wstring category = categoryOf(*unit);
    if (category == UnitCategory::hero || category == UnitCategory::ambient ||
        category == UnitCategory::attach)
        return;
    if (category == UnitCategory::mill && !unit->isInFireOrDamaged() && unit->getLevel() > 0 &&
        !unit->getAttached().empty())
        return;
    if (problem == 8)
    {
        if (!m_currentSelection || !m_selectedUnit)
            return;
        unit = m_selectedUnit;
        problem = problemOf(unit);
        view = unit->getView();
        if (!view)
            return;
    }
    const auto record = unit->inFire ? unit->getLevelInfo() : unit->getActiveLevelInfo();
    const int number = record ? record->selection : 0;
    // A number past the styles of "UI/selections.xml" has no picture.
    if (number <= 0 || static_cast<size_t>(number) > m_selections.size())
        return;
    const int colour =
        category == UnitCategory::base || problem < 0 || problem >= ColourCount ? Green : problem;
    Engine::cPicture* picture = m_selections[static_cast<size_t>(number) - 1][static_cast<size_t>(colour)];
    if (picture != m_currentSelection && m_currentSelection)
        m_currentSelection->hide();
    m_currentSelection = picture;
    // The description places the picture of each selection number under its unit.
    Engine::cVector2 offset(0.0f, 0.0f);
    if (const auto description = view->getDescription())
    {
        const auto found = description->getSelectionOffsets().find(number);
        if (found != description->getSelectionOffsets().end())
            offset = found->second;
    }
    picture->setPosition(view->getPosition() + offset);
    // Under the unit, above the ground it stands on.
    picture->setDeep(view->getDeep() - 0.5f);
    picture->show();
    m_selectedUnit = unit;
}

void TooltipManager::hideSelection()
{
    if (!m_currentSelection)
        return;
    m_currentSelection->hide();
    m_currentSelection = nullptr;
    m_selectedUnit.reset();
}

void TooltipManager::onUnitViewHover(Engine::cView* view)
{
    auto* unitView = dynamic_cast<cUnitView*>(view);
    const Game* game = Game::instance();
    if (!unitView || !unitView->getUnit() || !game || game->isLevelOver() || tutorialTipShown() ||
        unitView->getUnit()->getState() == eUnitState::falling)
        return;
    takeOwner(view, Owner::Unit);
    showSelection(unitView, problemOf(unitView->getUnit()));
    composeTip(unitView);
    m_hoveredUnit = unitView->getUnit();
    m_soundDelay = GameConfig::instance().getConstants().UnitSoundDelay;
}

void TooltipManager::onUnitViewLeave(Engine::cView* view)
{
    if (isOwnersLeave(view))
        leave(Owner::Unit);
}

cTooltipView* TooltipManager::buildTip(Window which, bool named, const std::wstring& name,
                                       const Engine::cVector2& at, const cGameResources& in,
                                       const cGameResources& out)
{
    cTooltipView* window = m_windows[which];
    resetWindow(window);
    if (named)
        window->setText(L"UnitName", name);
    window->place(at);
    window->showTip();
    Game* game = Game::instance();
    const cGameResources& have = game ? game->getResources() : emptySet();
    window->setLists(in, out, have);
    const bool inUsed = which != MillTip && which != BaseTip;
    const bool outUsed = which != PlaceTip && which != UpgradeTip;
    if (inUsed)
        window->showText(L"in", !in.isEmpty());
    if (outUsed)
        window->showText(L"out", !out.isEmpty());
    return window;
}

cTooltipView* TooltipManager::buildBonusTip(const cUnit& unit, const Engine::cVector2& at)
{
    cTooltipView* window = m_windows[BonusTip];
    resetWindow(window);
    for (const wchar_t* tag :
         {L"BonusSpeedHero", L"BonusSpeedMan", L"BonusSpeedMills", L"BonusSpeedUpgrades"})
        window->showText(tag, false);
    window->showText(unit.typeName, true);
    const NameIdTable& names = GameConfig::instance().resourceNames();
    int entry = 1;
    if (const auto record = unit.getActiveLevelInfo())
        for (const auto& [id, count] : record->resIn.getItems())
        {
            if (entry > 3)
                break;
            const std::wstring index = std::to_wstring(entry++);
            window->setPicture(L"From" + index, "Units/Icons/" + Engine::toUtf8(names.nameOf(id)) + ".jpg");
            window->setText(L"Num" + index, std::to_wstring(count));
            window->showPicture(L"x" + index);
        }
    // "for" leads the resources the bonus is had for; a free bonus has none to lead.
    window->showText(L"For", entry > 1);
    window->place(at);
    window->showTip();
    return window;
}

void TooltipManager::composeTip(cUnitView* view)
{
    const boost::shared_ptr<cUnit> unit = view->getUnit();
    const std::wstring name = displayName(*unit, view);
    const auto record = unit->getActiveLevelInfo();
    if (!record)
        return;
    const Engine::cVector2 at = view->getPosition();
    const std::wstring category = categoryOf(*unit);
    const bool building = unit->getLevel() == 0;
    cTooltipView* window = nullptr;
    if (unit->inFire)
        window = buildTip(InFireTip, false, name, at, record->resIn, record->resOut);
    else if (unit->isDamaged)
        window = buildTip(DamagedTip, true, name, at, record->repairRes, record->resOut);
    else if (category == UnitCategory::hero || category == UnitCategory::ambient)
        return;
    else if (category == UnitCategory::mill)
        window = building ? buildTip(PlaceTip, true, name, at, record->upIn, emptySet())
                          : buildTip(MillTip, true, name, at, emptySet(), record->resOut);
    else if (category == UnitCategory::plant)
    {
        if (building)
            window = buildTip(PlaceTip, true, name, at, record->upIn, emptySet());
        else
        {
            window = buildTip(ProduceTip, true, name, at, record->resIn, record->resOut);
            if (!record->resIn.isEmpty() && !record->resOut.isEmpty())
                window->showPicture(L"arrow");
        }
    }
    else if (category == UnitCategory::barrier)
        window = buildTip(BarrierTip, true, name, at, record->resIn, record->resOut);
    else if (category == UnitCategory::barrierroad)
        // A road barrier (a broken road, a fire on a road) is cleared for its "UpIn": the
        // planner charges that, and its problem tip counts what is missing from it. The tip
        // shows that cost, not the "ResIn" a click never takes, which would tell the player a
        // wrong price.
        window = buildTip(BarrierTip, true, name, at, record->upIn, record->resOut);
    else if (category == UnitCategory::road)
        window = building ? buildTip(PlaceTip, true, name, at, record->upIn, emptySet()) : nullptr;
    else if (category == UnitCategory::resource)
        window = buildTip(Game::isResourceName(unit->typeName) ? ResourceTip : GarbageResTip, true, name, at,
                          record->resIn, unit->resources);
    else if (category == UnitCategory::animal)
        window = buildTip(SaveTip, true, name, at, record->resIn, record->resOut);
    else if (category == UnitCategory::quest)
        window = building ? buildTip(PlaceTip, true, name, at, record->upIn, emptySet())
                          : buildTip(BaseTip, true, name, at, emptySet(), record->autoResOut);
    else if (category == UnitCategory::base)
        window = buildTip(BaseTip, true, name, at, emptySet(), record->autoResOut);
    else if (category == UnitCategory::bonus)
        window = buildBonusTip(*unit, at);
    setCurrentWindow(window);
}

void TooltipManager::resetWindow(cTooltipView* window)
{
    for (int i = 1; i <= 4; ++i)
    {
        const std::wstring index = std::to_wstring(i);
        window->hidePicture(L"From" + index);
        window->hidePicture(L"x" + index);
        window->setText(L"Num" + index, std::wstring());
    }
    window->hidePicture(L"What");
    window->setText(L"WhatNum", std::wstring());
}

void TooltipManager::setCurrentWindow(cTooltipView* window)
{
    if (!window)
        return;
    if (m_currentWindow && m_currentWindow != window)
    {
        resetWindow(m_currentWindow);
        m_currentWindow->hideTip();
    }
    m_currentWindow = window;
}

void TooltipManager::hideTips()
{
    // As a tip window does (`hideTip`), a hidden text is not hidden again.
    if (m_tipText->isVisible() || m_tipText->getTransparency() != 0.0f)
        m_tipText->hide();
    for (cTooltipView* window : m_windows)
        window->hideTip();
}

void TooltipManager::showProblemTip(boost::shared_ptr<cUnit> unit, UnitProblem problem)
{
    if (!unit || !unit->getView())
        return;
    const Engine::cVector2 at = unit->getView()->getPosition();
    cTooltipView* window = nullptr;
    switch (problem)
    {
    case NoRoute:
    case NoFreeHero:
    case NoDestination:
        window = m_windows[problem == NoRoute      ? NoWayTip
                           : problem == NoFreeHero ? NoFreeHeroesTip
                                                   : NoBringToTooltipTip];
        resetWindow(window);
        window->place(at);
        window->showTip();
        break;
    case NotEnoughResources:
    {
        Game* game = Game::instance();
        if (!game)
            return;
        // What is missing of the price the click was refused at: the planner's own, for every
        // kind of unit (a barrier is cleared for what it takes in, a road built for its
        // upgrade, a mill served for what lies at it).
        cGameResources cost;
        Engine::cPoint blocked = kNoCell;
        game->getController().getUnitProblem(unit, cost, blocked);
        window = m_windows[NotEnoughTip];
        resetWindow(window);
        window->place(at);
        window->showTip();
        window->setLists(missing(game->getResources(), cost), emptySet(), emptySet());
        break;
    }
    default:
        return;
    }
    setCurrentWindow(window);
}

void TooltipManager::onUnitProblem(boost::shared_ptr<cUnit> unit, UnitProblem problem)
{
    if (problem != NotEnoughResources)
    {
        showProblemTip(unit, problem);
        return;
    }
    cUnitView* view = unit ? unit->getView() : nullptr;
    const auto record = unit ? unit->getActiveLevelInfo() : nullptr;
    if (!view || !record)
        return;
    std::wstring text;
    appendMissingText(text, record->upIn);
    m_tipText->setLocalized(false);
    m_tipText->setText(text, true);
    const float textHeight = m_tipText->getSize().y;
    m_tipText->setPosition(view->getPosition() +
                           Engine::cVector2(0.0f, -(view->getSize().y + textHeight) * 0.5f));
    m_tipText->show();
}

cGameResources TooltipManager::missing(const cGameResources& have, const cGameResources& cost)
{
    cGameResources result;
    for (const auto& [id, count] : cost.getItems())
    {
        if (count == 0)
            continue;
        const auto held = have.getItems().find(id);
        if (held == have.getItems().end())
            result.insert(id, count);
        else if (count > held->second)
            result.insert(id, count - held->second);
    }
    return result;
}

void TooltipManager::appendMissingText(std::wstring& text, const cGameResources& cost) const
{
    Game* game = Game::instance();
    if (!game || game->getResources().contains(cost))
        return;
    std::wstring lead = MissingText;
    if (Engine::cStrings* strings = Engine::cStrings::instance())
        lead = strings->translate(lead);
    text += L"\n" + lead + missing(game->getResources(), cost).toText(false);
}

void TooltipManager::onUpgradeButtonHover(Engine::cView* button, cUnitView* view)
{
    if (tutorialTipShown() || !view || !view->getUnit())
        return;
    const boost::shared_ptr<cUnit> unit = view->getUnit();
    const auto record = unit->getActiveLevelInfo();
    if (!record)
        return;
    takeOwner(button, Owner::UpgradeButton);
    setCurrentWindow(
        buildTip(UpgradeTip, true, displayName(*unit, view), view->getPosition(), record->upIn, emptySet()));
}

void TooltipManager::onUpgradeButtonLeave(Engine::cView* button, cUnitView*)
{
    if (isOwnersLeave(button))
        leave(Owner::UpgradeButton);
}

void TooltipManager::onResourceRowHover(Engine::cView* row, const std::wstring& name)
{
    if (tutorialTipShown() || !row)
        return;
    takeOwner(row, Owner::ResourceRow);
    const int typeId = GameConfig::instance().unitNames().find(name);
    const auto description = typeId >= 0 ? UnitViewLibrary::instance().findOrLoad(typeId) : nullptr;
    showUnitTypeTip(description && !description->getName().empty() ? description->getName() : name,
                    row->getPosition());
}

void TooltipManager::showUnitTypeTip(const std::wstring& name, const Engine::cVector2& at)
{
    // A kind of resource takes and gives nothing: its window names it, with no heading over
    // an empty list.
    buildTip(ResourceTip, true, name, at, emptySet(), emptySet());
}

void TooltipManager::onResourceRowLeave(Engine::cView* row)
{
    if (isOwnersLeave(row))
        leave(Owner::ResourceRow);
}

void TooltipManager::onUnitChanged(boost::shared_ptr<cUnit> unit)
{
    if (m_currentSelection && m_currentSelection->isShown() && unit)
        showSelection(unit->getView(), 8);
}

void TooltipManager::onUnitRemoved(boost::shared_ptr<cUnit> unit)
{
    if (unit && unit == m_selectedUnit)
        hideSelection();
    if (unit && unit == m_hoveredUnit.lock())
    {
        hideTips();
        m_hoveredUnit.reset();
    }
    // Its view goes with it.
    if (unit && m_owner && static_cast<Engine::cControl*>(unit->getView()) == m_owner)
    {
        m_owner = nullptr;
        m_ownerKind = Owner::None;
    }
    refresh();
}

void TooltipManager::onUnitUpdated(boost::shared_ptr<cUnit>)
{
    refresh();
}

void TooltipManager::refresh()
{
    if (m_selectedUnit)
        showSelection(m_selectedUnit->getView(), 8);
    if (const boost::shared_ptr<cUnit> unit = m_hoveredUnit.lock())
        if (cUnitView* view = unit->getView())
            composeTip(view);
}

void TooltipManager::reset()
{
    hideTips();
    hideSelection();
    m_hoveredUnit.reset();
    m_currentWindow = nullptr;
    m_owner = nullptr;
    m_ownerKind = Owner::None;
}
