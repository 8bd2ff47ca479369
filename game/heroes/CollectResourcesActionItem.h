#pragma once
#include "game/heroes/ActionItem.h"
class CollectResourcesActionItem final : public ActionItem
{
public:
    CollectResourcesActionItem();
    CollectResourcesActionItem(const UnitPtr& carrier, const UnitPtr& source,
                               const UnitPtr& attach = UnitPtr());
    void save(LevelArchive& archive, const UnitNumbering& numbering) const override;
    void load(LevelArchive& archive, const Units& units) override;
    void start() override;
    void update() override;
    void returnToBase() override;
    void finish();
    const UnitPtr& getCarrier() const { return m_carrier; }

private:
    UnitPtr m_carrier;
    UnitPtr m_source;
};
