#pragma once

#include "engine/ui/cButton.h"

namespace Engine
{

class cButtonCaption;

// A texture-per-state button with a caption whose letters wave while it is hovered. Its "Text"
// child holds the caption's keys; "UseTextPosition" 0 puts the caption on the button. The
// caption is a child one depth unit above the button. Layouts create it as "textbutton" or
// "textbtn".
class cTextButton : public cButton
{
public:
    explicit cTextButton(cControl* parent = nullptr);
    // A root button with the look of `other` and a copy of its caption as its own child (the
    // list box's rows are copies of its row template).
    cTextButton(const cTextButton& other);

    void loadXML(const tPropertiesPtr& node) override;
    void setAlpha(float alpha) override;
    // The base state change; hover starts the wave, any other state stops it.
    void setState(int32_t state) override;

    cButtonCaption* getCaption() const { return m_caption; }
    bool getUseTextPosition() const { return m_useTextPosition; }

private:
    bool m_useTextPosition = false;
    // A child of the button (owned by the tree).
    cButtonCaption* m_caption;
};

} // namespace Engine
