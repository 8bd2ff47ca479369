#pragma once

#include "engine/core/cColor.h"
#include "engine/core/cVector2.h"
#include "engine/ui/cTextLine.h"

#include <array>
#include <vector>

namespace Engine
{

// The caption of the text buttons: a text line whose letters wave while the button is hovered.
// When the wave starts, letter i moves to the line's y + (+1, -1, +1, ...)[i] × `Offset` at
// `Speed` units a second and stops exactly there; when it stops they return the same way. The
// defaults (100 units at 200 a second) would lift the letters off any button: every layout sets
// its own small wave (a test hovers each one's buttons). It also keeps a colour, an offset and
// a size multiplier for each button state, which the text-style button applies.
class cButtonCaption : public cTextLine
{
public:
    explicit cButtonCaption(cControl* parent = nullptr);

    // The line's step, then the letters' move.
    void update() override;
    // The text line's keys, then "Offset", "Speed", the state colours ("Color", "color_disabled",
    // "color_hover", "color_pressed"), the state offsets ("offset", then "offset_disabled",
    // "offset_hover", "offset_pressed") and the state multipliers ("Multiplier", 0 when it is
    // missing, then "Multiplier_disabled", "Multiplier_hover", "Multiplier_pressed").
    void loadStyle(const tPropertiesPtr& node);
    // The caption part of a text button's keys: the style from its child "Text" when there is
    // one, "UseTextPosition" into `useTextPosition` (0: the caption goes onto the button), and
    // the depth one unit above the button.
    void loadForButton(const cView& button, const tPropertiesPtr& node, bool& useTextPosition);

    void startWave();
    void stopWave();
    // The wave of a button's state: hover (2) starts it, any other state stops it.
    void followButtonState(int state);
    bool isWaving() const { return m_wave; }
    bool isMoving() const { return m_moving; }
    float getOffset() const { return m_offset; }
    float getSpeed() const { return m_speed; }

    // The style of a button state (0 disabled, 1 normal, 2 hover, 3 pressed); other indexes give
    // the normal state's.
    cColor getStateColor(int state) const;
    cVector2 getStateOffset(int state) const;
    float getStateMultiplier(int state) const;

    void setText(const std::wstring& text) override;
    // The letters move only while the caption is updated: a caption that stops being updated
    // (its button disabled or hidden) puts them back on its line at once, so that it is never
    // drawn again with letters where an earlier hover left them.
    void onDisable() override;

protected:
    // The letters of the line, each lifted by its wave offset.
    void buildSprites(std::vector<cQuad>& sprites, uint32_t frame, float weight) override;

private:
    bool m_wave = false;
    float m_offset = 100.0f;
    float m_speed = 200.0f;
    bool m_moving = false;
    std::array<cColor, 4> m_stateColors;
    std::array<cVector2, 4> m_stateOffsets{};
    std::array<float, 4> m_stateMultipliers{};
    // How far each letter stands below (positive) or above (negative) the line.
    std::vector<float> m_letterOffsets;
};

} // namespace Engine
