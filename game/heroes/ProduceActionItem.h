#pragma once
#include "game/heroes/ActionItem.h"
class ProduceActionItem final : public ActionItem
{
public:
    ProduceActionItem();
    explicit ProduceActionItem(const UnitPtr& unit);
    void save(LevelArchive& archive, const UnitNumbering& numbering) const override;
    void load(LevelArchive& archive, const Units& units) override;
    void start() override;
    void resetDone() override;
    void update() override;
    void finish();

private:
    UnitPtr m_unit;
    float m_elapsed = 0.0f;
    float m_time = 0.0f;
};
