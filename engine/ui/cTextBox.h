#pragma once

#include "engine/ui/cTextLine.h"

#include <boost/function.hpp>
#include <boost/signals2/connection.hpp>
#include <boost/signals2/signal.hpp>

namespace Engine
{

class cGlyphView;

// The one-line text entry: a bitmap-font text line that, while enabled, takes the characters
// the player types, appends them while the text stays narrower than "MaxLength" units,
// removes the last one on backspace (8) and ignores line feeds and carriage returns. A
// character that would pass the width is refused alone: a narrower one typed after it may
// still fit. A blinking underscore follows the text. Every character event that the filter
// lets through raises `changedSignal`, whether or not the text changed. Typed text is never
// translated. Layouts create it as "textbox"; they set "MaxLength" (a width in units; the
// default of 10 takes almost nothing) and name a font with "_".
//
// Every enabled text box takes every typed character. While the line is right to left and the
// player types in Hebrew, the cursor stands at the text's left end.
class cTextBox : public cTextLine
{
public:
    using tChangedSignal = boost::signals2::signal<void(cTextBox*)>;
    using tFilter = boost::function<bool(wchar_t)>;

    tChangedSignal changedSignal;

    explicit cTextBox(cControl* parent = nullptr);
    ~cTextBox() override;

    // The cursor's blink, then the line's step.
    void update() override;
    // The text line's keys, then "MaxLength" and "BlinkingPeriod"; the cursor takes the font's
    // "_" glyph (without one it stays hidden).
    void loadXML(const tPropertiesPtr& node) override;
    void onTransparencyChanged() override;
    // Connects to the typed characters.
    void onEnable() override;
    // Lets go of the typed characters.
    void onDisable() override;
    // The line's layout, then the cursor after the text.
    void layoutGlyphs() override;

    // Asked first for every typed character; a character it refuses changes nothing and
    // raises no signal. Replaces the former filter.
    void connect(const tFilter& filter);
    // One typed character (UTF-16 code unit).
    void onChar(wchar_t c);

    float getMaxLength() const { return m_maxLength; }
    void setMaxLength(float length) { m_maxLength = length; }
    float getBlinkingPeriod() const { return m_blinkingPeriod; }
    bool isRightToLeftTyping() const { return m_rightToLeftTyping; }
    cGlyphView* getCursor() const { return m_cursor; }
    float getCursorWidth() const { return m_cursorWidth; }

private:
    void placeCursor();

    bool m_rightToLeftTyping = false;
    boost::signals2::scoped_connection m_input;
    tFilter m_filter;
    float m_maxLength = 10.0f;
    float m_blinkingPeriod = 0.7f;
    bool m_cursorVisible = true;
    float m_blinkTime = 0.0f;
    // A child of the box (owned by the tree), made when the box is loaded.
    cGlyphView* m_cursor = nullptr;
    float m_cursorWidth = 0.0f;
};

} // namespace Engine
