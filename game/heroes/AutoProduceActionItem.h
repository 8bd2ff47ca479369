#pragma once
#include "game/heroes/ActionItem.h"
class AutoProduceActionItem final : public ActionItem
{
public:
    AutoProduceActionItem();
    explicit AutoProduceActionItem(const UnitPtr& unit);
    void save(LevelArchive& archive, const UnitNumbering& numbering) const override;
    void load(LevelArchive& archive, const Units& units) override;
    void update() override;
    void startWithTime(float time);
    void produce();

private:
    void screenBar();
    UnitPtr m_unit;
    float m_elapsed = 0.0f;
    float m_period = 0.0f;
};
