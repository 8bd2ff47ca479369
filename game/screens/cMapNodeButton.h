#pragma once

#include "engine/ui/cTextStyleButton.h"

#include <cstdint>

namespace Engine
{
class cPyro;
}

// One level on a page of the level map (every node loads the map's "NodeButton" layout): its
// level number, whether the player completed it and the medal won (0 gold, 1 silver, 2 none).
// Its picture tells the selected level, a locked one, a new one and the medal of a completed
// one; the selected node also carries a copy of the map's selection effect. The node of a level
// the game does not ship (a place of the map whose level file is missing) is always locked.
class cMapNodeButton : public Engine::cTextStyleButton
{
public:
    enum eMedal : int32_t
    {
        Gold = 0,
        Silver = 1,
        NoMedal = 2,
    };

    cMapNodeButton(Engine::cControl* parent, int32_t level);
    ~cMapNodeButton() override;

    int32_t getLevel() const { return m_level; }
    void setLevel(int32_t level) { m_level = level; }
    bool isCompleted() const { return m_completed; }
    void setCompleted(bool completed) { m_completed = completed; }
    int32_t getMedal() const { return m_medal; }
    // A medal past gold or past none is taken as that end: every completed level shows one.
    void setMedal(int32_t medal) { m_medal = medal < Gold ? Gold : medal > NoMedal ? NoMedal : medal; }
    // A level the game does not ship never opens: its node stays disabled (locked).
    void setEnabled(bool enabled);
    bool isShipped() const { return m_shipped; }
    void setShipped(bool shipped);
    // Shown and enabled.
    bool isAvailable() const;

    // The picture from the map's six: selected (the level of "CurrentSelectedLevel"), locked
    // (not enabled), new (not completed) or the medal's; the selected node gets the selection
    // effect, any other loses it.
    void refresh();

    Engine::cPyro* getSelectionEffect() const { return m_effect; }

private:
    int32_t m_level;
    int32_t m_medal = NoMedal;
    bool m_completed = false;
    bool m_shipped = true;
    // A child of the node (owned by the tree), or null.
    Engine::cPyro* m_effect = nullptr;
};
