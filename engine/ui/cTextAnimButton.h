#pragma once

#include "engine/ui/cAnimButton.h"

#include <string>

namespace Engine
{

class cButtonCaption;

// A frame-per-state button with a caption whose letters wave while it is hovered. Its "Text"
// child holds the caption's text-line and style keys; "UseTextPosition" 0 puts the caption on
// the button. The caption is a child one depth unit above the button.
class cTextAnimButton : public cAnimButton
{
public:
    explicit cTextAnimButton(cControl* parent = nullptr);
    // A copy would point at the source's children (the caption) without having them.
    cTextAnimButton(const cTextAnimButton&) = delete;

    void loadXML(const tPropertiesPtr& node) override;
    // The button's alpha and the caption's.
    void setAlpha(float alpha) override;
    // The base state change; hover starts the wave, any other state stops it.
    void setState(int32_t state) override;

    // Sets the caption's text when it differs.
    void setCaptionText(const std::wstring& text);
    cButtonCaption* getCaption() const { return m_caption; }
    bool getUseTextPosition() const { return m_useTextPosition; }

protected:
    bool m_useTextPosition = false;
    // A child of the button (owned by the tree).
    cButtonCaption* m_caption;
};

} // namespace Engine
