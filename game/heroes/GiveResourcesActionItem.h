#pragma once
#include "game/heroes/ActionItem.h"
class GiveResourcesActionItem final : public ActionItem
{
public:
    GiveResourcesActionItem();
    GiveResourcesActionItem(const UnitPtr& carrier, const UnitPtr& receiver);
    void save(LevelArchive& archive, const UnitNumbering& numbering) const override;
    void load(LevelArchive& archive, const Units& units) override;
    void update() override;
    void returnToBase() override;
    void finish();
    const UnitPtr& getCarrier() const { return m_carrier; }

private:
    UnitPtr m_carrier;
    UnitPtr m_receiver;
};
