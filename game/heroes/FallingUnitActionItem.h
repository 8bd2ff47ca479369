#pragma once

#include "engine/core/cVector2.h"
#include "game/heroes/ActionItem.h"

namespace Engine
{
class cPicture;
class cProperties;
class cPyro;
} // namespace Engine

// A unit drops onto the field from above: it sinks from a random height ("FallingHeight") to
// where it stands at a fixed speed while a shadow on the ground darkens and a parachute hangs
// over it (not over a base, which lands with a dust cloud, "base_fall" and its first tip).
// What the unit carries shows again when it lands. The looks come from "Effects/Fall.xml".
//
// The record (26 bytes): the header, the unit's number, the ground offset, the start height,
// the fall distance and the shadow's alpha.
class FallingUnitActionItem final : public ActionItem
{
public:
    FallingUnitActionItem();
    // Builds the shadow, the parachute and the dust.
    explicit FallingUnitActionItem(const UnitPtr& unit);
    ~FallingUnitActionItem() override;

    void save(LevelArchive& archive, const UnitNumbering& numbering) const override;
    // Builds the views again; a running fall shows its shadow and parachute.
    void load(LevelArchive& archive, const Units& units) override;
    void start() override;
    void update() override;

    const UnitPtr& getUnit() const { return m_unit; }
    float getGroundOffset() const { return m_groundOffset; }
    float getStartHeight() const { return m_startHeight; }
    float getFallingSpeed() const { return m_fallingSpeed; }
    Engine::cPicture* getShadow() const { return m_shadow; }
    Engine::cPicture* getParachute() const { return m_parachute; }
    // The dust of a landed base (owned by the play view, valid while its effect plays); null
    // before it lands.
    Engine::cPyro* getDust() const { return m_dust; }

private:
    void buildViews();
    bool isBase() const;
    // Parachute and shadow follow the unit's height.
    void placeViews(float offset);
    void finish();

    UnitPtr m_unit;
    float m_groundOffset = 0.0f;
    float m_startHeight = 0.0f;
    float m_fallDistance = 0.0f;
    // The views are children of the play view (owned there); the item hands the shadow and
    // the parachute to the deferred deletion when the unit has landed, and the dust deletes
    // itself when its effect ends.
    Engine::cPicture* m_parachute = nullptr;
    Engine::cVector2 m_parachuteOffset;
    float m_parachuteDepth = 0.0f;
    Engine::cVector2 m_fallingHeight;
    float m_fallingSpeed = 0.0f;
    Engine::cPicture* m_shadow = nullptr;
    Engine::cPyro* m_dust = nullptr;
};
