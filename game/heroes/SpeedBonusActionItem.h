#pragma once

#include "game/heroes/ActionItem.h"

#include <string>

class cUnitProgressView;

namespace Engine
{
class cPicture;
class cProgressFloat;
} // namespace Engine

// A speed bonus, in two roles.
//
// The taking item is the last step of a bonus goal: it takes the bonus unit off the field and
// starts a running bonus of the unit's kind (its type name) for the unit's "UpgradeTime"; it
// ends at its second frame and hands the hero its next goal.
//
// The running bonus switches one of the level's four speed flags on ("BonusSpeedHero",
// "BonusSpeedMan", "BonusSpeedMills", "BonusSpeedUpgrades"), shows an icon and a countdown bar
// ("Icon" and "Progress" of "Units/" + kind + ".xml", when that file exists) and switches the
// flag off at its end. Two bonuses of one kind overlap: the first to end switches it off.
//
// The record: the header, the bonus unit's number (-1 without one), the time left and the
// kind (a wide string). Neither the hero nor the duration is saved.
class SpeedBonusActionItem final : public ActionItem
{
public:
    SpeedBonusActionItem();
    // The taking item.
    SpeedBonusActionItem(const UnitPtr& hero, const UnitPtr& bonusUnit);
    // The running bonus, with its icon and bar.
    SpeedBonusActionItem(const std::wstring& kind, float duration);
    ~SpeedBonusActionItem() override;

    void save(LevelArchive& archive, const UnitNumbering& numbering) const override;
    // A running bonus read back switches its flag on again and shows its icon and a bar for
    // the time it has left.
    void load(LevelArchive& archive, const Units& units) override;
    void start() override;
    // Removes the icon and the bar; the flag keeps its value.
    void stop() override;
    void update() override;
    void returnToBase() override;

    const UnitPtr& getHero() const { return m_hero; }
    const UnitPtr& getBonusUnit() const { return m_bonusUnit; }
    float getTimeLeft() const { return m_timeLeft; }
    float getDuration() const { return m_duration; }
    const std::wstring& getKind() const { return m_kind; }
    Engine::cPicture* getIcon() const { return m_icon; }
    // The bar as the class the views make it (cUnitProgressView).
    template <class Bar = cUnitProgressView> Bar* getBar() const { return static_cast<Bar*>(m_bar); }

private:
    void buildViews();
    void removeViews();
    void switchFlag(bool on) const;
    // The hero of the goal that took the bonus unit (a taking item read back has none).
    UnitPtr findHero() const;
    void finish();

    UnitPtr m_hero;
    UnitPtr m_bonusUnit;
    float m_timeLeft = 0.0f;
    float m_duration = 0.0f;
    std::wstring m_kind;
    // Root views without a parent; the item hands them to the deferred deletion.
    Engine::cPicture* m_icon = nullptr;
    Engine::cProgressFloat* m_bar = nullptr;
};
