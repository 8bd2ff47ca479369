#pragma once

#include "engine/ui/cView.h"

#include <cstdint>
#include <string>
#include <vector>

namespace Engine
{

class cTextLine;

// A text of several lines in a box: split at line feeds, wrapped at spaces to the box's width
// when "WrapText" is set, one text line per line at "Interlinear" units apart, the block placed
// in the box by "VerticalAlign" (0 centred, 1 from the top, 2 from the bottom, else the first
// line on the position). A hidden template line carries the font and the style of every line.
// It draws nothing itself and stays out of the render registry. Layouts create it as "mt",
// "mtext", "multilinetext" or "multietext".
//
// A box too low for its lines grows to fit them; shrinking the lines into "maxSize" with
// "MinInterlinear" and "MinMultiplier" is not done here.
class cMultiLineText : public cView
{
public:
    explicit cMultiLineText(cControl* parent = nullptr);
    // A copy would point at the source's children (the template and the lines) without having them.
    cMultiLineText(const cMultiLineText&) = delete;

    // The laid-out lines after a text change.
    void update() override;
    // The object's keys, the template's text-line keys, then "Text" (else "String"), "size",
    // "maxSize", "Localized", "Interlinear", "MinInterlinear", "MinMultiplier", "WrapText",
    // "VerticalAlign" and "WrapStyle".
    void loadXML(const tPropertiesPtr& node) override;
    // Only the object's show and hide: the lines are drawn, not this view.
    void onShow() override;
    void onHide() override;
    void setAlpha(float alpha) override;

    virtual const std::wstring& getText() const { return m_text; }
    // Stores the text; lays it out at once with `now`, else in the next update.
    virtual void setText(const std::wstring& text, bool now = false);
    virtual bool isLocalized() const { return m_localized; }
    virtual void setLocalized(bool localized) { m_localized = localized; }
    virtual bool getWrapText() const { return m_wrapText; }
    virtual void setWrapText(bool wrap) { m_wrapText = wrap; }
    virtual uint32_t getWrapStyle() const { return m_wrapStyle; }
    virtual void setWrapStyle(uint32_t style) { m_wrapStyle = style; }
    virtual uint32_t getVerticalAlign() const { return m_verticalAlign; }
    virtual void setVerticalAlign(uint32_t align) { m_verticalAlign = align; }
    // Lays the lines out with a size multiplier and a line distance; `lineHeight` gets the
    // tallest line's height.
    virtual void layout(float multiplier, float interlinear, float& lineHeight);

    float getInterlinear() const { return m_interlinear; }
    void setInterlinear(float interlinear) { m_interlinear = interlinear; }
    const std::vector<cTextLine*>& getLines() const { return m_lines; }
    cTextLine* getTemplate() const { return m_template; }

private:
    // Lays the text out with the template's multiplier and places the block in the box.
    void fit();
    cTextLine* addLine();
    // Splits a paragraph at spaces into lines no wider than the box, starting on `line`.
    void wrap(const std::wstring& paragraph, cTextLine* line, float& lineHeight);

    std::vector<cTextLine*> m_lines;
    cTextLine* m_template;
    cVector2 m_maxSize{0.0f, 0.0f};
    std::wstring m_text;
    bool m_needsLayout = true;
    float m_interlinear = 40.0f;
    float m_minInterlinear = 0.0f;
    float m_minMultiplier = 0.0f;
    bool m_localized = true;
    uint32_t m_verticalAlign = 3;
    bool m_wrapText = false;
    uint32_t m_wrapStyle = 0;
};

} // namespace Engine
