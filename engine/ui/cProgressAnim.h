#pragma once

#include "engine/ui/cPicture.h"

namespace Engine
{

// A picture that carries a maximum and a current value ("ProgressMaxValue",
// "ProgressCurrentValue") for the code that owns it; it draws as a picture. Layouts create it
// as "progressanim".
class cProgressAnim : public cPicture
{
public:
    explicit cProgressAnim(cControl* parent = nullptr);

    void loadXML(const tPropertiesPtr& node) override;

    float getMaxValue() const { return m_max; }
    void setMaxValue(float max) { m_max = max; }
    float getCurrentValue() const { return m_current; }
    void setCurrentValue(float value) { m_current = value; }

private:
    float m_max = 100.0f;
    float m_current = 0.0f;
};

} // namespace Engine
