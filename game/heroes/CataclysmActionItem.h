#pragma once

#include "engine/core/cVector2.h"
#include "game/heroes/ActionItem.h"

#include <boost/signals2/connection.hpp>

#include <memory>
#include <vector>

namespace Engine
{
class TweenPosition;
class cView;
namespace tween
{
class Tweener;
}
} // namespace Engine

// One of the level's cataclysms (an earthquake) played as an action: for the record's
// "Duration" the views of the units standing on the field (heroes, tools and ambient units
// excepted) and the level's background shake, jumping every 0.1 s to a random point below and
// to the right of their place, by an amplitude that grows to 3 × "RichterPoints". The units
// that disappear in it are set to destroy at once and removed at the end, when the units that
// appear with it become idle. Every shaken view ends exactly on its place.
//
// The record (22 bytes): the header, the cataclysm's index, elapsed, duration, amplitude.
class CataclysmActionItem final : public ActionItem
{
public:
    CataclysmActionItem();
    explicit CataclysmActionItem(int index);
    ~CataclysmActionItem() override;

    void save(LevelArchive& archive, const UnitNumbering& numbering) const override;
    // A running cataclysm starts shaking again from where the views stand. Throws the
    // archive's error for an index the level does not have.
    void load(LevelArchive& archive, const Units& units) override;
    void start() override;
    void update() override;

    int getIndex() const { return m_index; }
    float getElapsed() const { return m_elapsed; }
    float getDuration() const { return m_duration; }
    float getAmplitude() const { return m_amplitude; }

private:
    // One shaking view: its place, the tween that moves it now, and (for a unit's view) the
    // connection that stops it when the unit leaves the level.
    struct Shake
    {
        Engine::cView* view = nullptr;
        Engine::cVector2 base;
        boost::shared_ptr<Engine::TweenPosition> tween;
        boost::signals2::scoped_connection removed;
    };

    void setUp();
    void shake(Engine::cView* view, const UnitPtr& unit);
    // The next jump of a view, when its previous one completed.
    void shakeStep(Shake& shake);
    void stopShake(Shake& shake);
    void finish();

    int32_t m_index = -1;
    std::unique_ptr<Engine::tween::Tweener> m_tweener;
    float m_elapsed = 0.0f;
    float m_duration = 0.0f;
    float m_amplitude = 0.0f;
    std::vector<std::unique_ptr<Shake>> m_shakes;
};
