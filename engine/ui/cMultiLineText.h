#pragma once

#include "engine/ui/cView.h"

#include <cstdint>
#include <string>
#include <vector>

namespace Engine
{

class cTextLine;

// A text of several lines in a box. Layouts create it as "mt", "mtext", "multilinetext" or
// "multietext".
//
// The text is split at line feeds and, with "WrapText", each paragraph is wrapped to the box's
// width: wrap style 0 breaks at spaces and keeps a word longer than the box whole; any other
// style breaks at the last space that fits and cuts words that still do not. One text line per
// line, copies of a hidden template line that carries the font and the style, stand
// "Interlinear" units apart. When the lines do not fit the box's height, the box first grows
// towards "maxSize" and then the line distance and the letters shrink towards
// "MinInterlinear" and "MinMultiplier"; what still does not fit makes the box taller. Each size
// is tried by the font's metrics alone: only the one chosen gets its lines, and with them its
// smaller glyphs (made once in the run, `cFontScaled`). The block is placed in the box by
// "VerticalAlign" (0 centred, 1 from the top, 2 from the bottom, else the first line on the
// position). The view draws nothing itself and stays out of the render registry; only its
// lines are drawn.
class cMultiLineText : public cView
{
public:
    explicit cMultiLineText(cControl* parent = nullptr);
    // A copy would point at the source's children (the template and the lines) without having them.
    cMultiLineText(const cMultiLineText&) = delete;

    // The fit after a text change.
    void update() override;
    // The object's keys, the template's text-line keys, then "Text" (else "String"), "size",
    // "maxSize", "Localized", "Interlinear", "MinInterlinear", "MinMultiplier", "WrapText",
    // "VerticalAlign" and "WrapStyle"; then the fit.
    void loadXML(const tPropertiesPtr& node) override;
    // Only the object's show and hide: the lines are drawn, not this view. A text set while
    // hidden is fitted before it is drawn.
    void onShow() override;
    void onHide() override;
    void setAlpha(float alpha) override;
    // The lines move with the depth; the view itself stays out of the drawing (a panel that
    // sets its depth would otherwise draw the text's box as a plain quad under its lines).
    void setDeep(float deep) override;
    // The box the text is fitted to (the size the fit starts from).
    void setSize(const cVector2& size) override;

    virtual const std::wstring& getText() const { return m_text; }
    // Stores the text; fits it at once with `now`, else in the next update, and at the latest
    // before its lines are drawn.
    virtual void setText(const std::wstring& text, bool now = false);
    virtual bool isLocalized() const { return m_localized; }
    virtual void setLocalized(bool localized) { m_localized = localized; }
    virtual bool getWrapText() const { return m_wrapText; }
    virtual void setWrapText(bool wrap) { m_wrapText = wrap; }
    virtual uint32_t getWrapStyle() const { return m_wrapStyle; }
    virtual void setWrapStyle(uint32_t style) { m_wrapStyle = style; }
    virtual uint32_t getVerticalAlign() const { return m_verticalAlign; }
    virtual void setVerticalAlign(uint32_t align) { m_verticalAlign = align; }
    // Lays the lines out once with a size multiplier and a line distance; `lineHeight` gets the
    // tallest line's height.
    virtual void layout(float multiplier, float interlinear, float& lineHeight);
    // Splits the text into lines, grows the box or shrinks the lines until they fit, and
    // places them in the box.
    void fit();

    float getInterlinear() const { return m_interlinear; }
    void setInterlinear(float interlinear) { m_interlinear = interlinear; }
    void setMinInterlinear(float interlinear) { m_minInterlinear = interlinear; }
    void setMinMultiplier(float multiplier) { m_minMultiplier = multiplier; }
    // The multiplier the fit starts from (the template's when loaded).
    void setNormalMultiplier(float multiplier) { m_normalMultiplier = multiplier; }
    const cVector2& getMaxSize() const { return m_maxSize; }
    void setMaxSize(const cVector2& size) { m_maxSize = size; }
    // The line distance and the multiplier the last fit ended with.
    float getUsedInterlinear() const { return m_usedInterlinear; }
    float getUsedMultiplier() const { return m_usedMultiplier; }
    const std::vector<cTextLine*>& getLines() const { return m_lines; }
    cTextLine* getTemplate() const { return m_template; }

protected:
    // The fit a text set without `now` waits for, before the lines are drawn (a shown text).
    void layOut() override;

private:
    cTextLine* addLine();
    // Sets the box (this view's size and the template's) without changing the fit's start.
    void setBox(const cVector2& size);
    // The text's lines with the template at `multiplier`, measured by the font's metrics
    // alone: no line view is made and no glyph drawn.
    std::vector<std::wstring> breakLines(float multiplier);
    // Wraps one paragraph, already the last of `lines`, to the box's width.
    void wrapAtSpaces(const std::wstring& paragraph, std::vector<std::wstring>& lines) const;
    void wrapAtLastSpace(const std::wstring& paragraph, std::vector<std::wstring>& lines) const;
    // The width of text[from, to) in the template's font and size.
    float measure(const std::wstring& text, size_t from, size_t to) const;

    std::vector<cTextLine*> m_lines;
    cTextLine* m_template;
    cVector2 m_baseSize{1.0f, 1.0f};
    cVector2 m_maxSize{0.0f, 0.0f};
    std::wstring m_text;
    bool m_needsLayout = true;
    float m_interlinear = 40.0f;
    float m_normalMultiplier = 1.0f;
    float m_minInterlinear = 0.0f;
    float m_minMultiplier = 0.0f;
    float m_usedInterlinear = 40.0f;
    float m_usedMultiplier = 1.0f;
    bool m_localized = true;
    uint32_t m_verticalAlign = 3;
    cColor m_textColor{1.0f, 1.0f, 1.0f, 1.0f};
    bool m_wrapText = false;
    uint32_t m_wrapStyle = 0;
};

} // namespace Engine
