#include "engine/ui/cScrollBox.h"

#include "engine/core/cLogic.h"
#include "engine/ui/LayoutKeys.h"
#include "engine/ui/cControlFactory.h"

#include <algorithm>

namespace Engine
{

namespace
{

// The slider's thumb: a plain button that tells its slider when it is pressed, released or
// hidden.
class cScrollThumb final : public cButton
{
public:
    explicit cScrollThumb(cScrollBox* slider) : cButton(slider), m_slider(slider) {}

    void onPress() override
    {
        cButton::onPress();
        if (getState() == StatePressed)
            m_slider->startDrag();
    }
    void onClick() override
    {
        cButton::onClick();
        m_slider->releaseDrag();
    }
    void onHide() override
    {
        cButton::onHide();
        m_slider->endDrag();
    }

private:
    cScrollBox* m_slider;
};

} // namespace

cScrollBox::cScrollBox(cControl* parent) : cButton(parent), m_thumb(new cScrollThumb(this)) {}

cButton* cScrollBox::getThumb() const
{
    return m_thumb;
}

void cScrollBox::setRange(float min, float max)
{
    m_min = min;
    m_max = max;
}

void cScrollBox::startDrag()
{
    if (m_dragging)
        return;
    m_dragging = true;
    dragSignal(true);
}

void cScrollBox::endDrag()
{
    if (!m_dragging)
        return;
    m_dragging = false;
    dragSignal(false);
}

void cScrollBox::onPress()
{
    cButton::onPress();
    if (getState() == StatePressed)
        startDrag();
}

void cScrollBox::releaseDrag()
{
    followPointer();
    endDrag();
}

void cScrollBox::onClick()
{
    cButton::onClick();
    releaseDrag();
}

void cScrollBox::track(float& start, float& end) const
{
    const cVector2& position = getPosition();
    const cVector2& size = getSize();
    if (m_layout == 0)
    {
        start = position.x - size.x * 0.5f;
        end = position.x + size.x * 0.5f;
    }
    else if (m_layout == 1)
    {
        start = position.y - size.y * 0.5f;
        end = position.y + size.y * 0.5f;
    }
    else
    {
        start = end = 0.0f;
    }
}

float cScrollBox::valueAt(const cVector2& point) const
{
    float start = 0.0f;
    float end = 0.0f;
    track(start, end);
    // Without a track's length there is nothing to map: the minimum.
    if (!(end > start))
        return m_min;
    const float along = std::clamp(m_layout == 0 ? point.x : point.y, start, end);
    if (along == start)
        return m_min;
    if (along == end)
        return m_max;
    return (along - start) * (m_max - m_min) / (end - start) + m_min;
}

void cScrollBox::updateThumb()
{
    float start = 0.0f;
    float end = 0.0f;
    track(start, end);
    const float range = m_max - m_min;
    const float share = range != 0.0f ? (m_value - m_min) / range : 0.0f;
    const float along = start + share * (end - start);
    cVector2 place = getPosition();
    if (m_layout == 0)
        place.x = along;
    else if (m_layout == 1)
        place.y = along;
    // Only the thumb moves: the button's own move would take the slider's other children along.
    m_thumb->setPosition(place);
}

void cScrollBox::update()
{
    cButton::update();
    followPointer();
}

void cScrollBox::followPointer()
{
    if (!m_dragging)
        return;
    const cLogic* logic = cLogic::instance();
    if (!logic)
        return;
    const float value = valueAt(logic->getMousePosition());
    if (value == m_value)
        return;
    m_value = value;
    valueSignal(m_value);
    updateThumb();
}

void cScrollBox::loadXML(const tPropertiesPtr& node)
{
    cButton::loadXML(node);
    if (!node)
        return;
    loadChildPart(*m_thumb, node, L"Slider");
    readKey(node, L"Max", m_max);
    readKey(node, L"Min", m_min);
    readKey(node, L"Value", m_value);
    readKey(node, L"Layout", m_layout);
    updateThumb();
}

namespace
{

const cControlFactory::cRegistration names({L"scrollbox"}, &createControl<cScrollBox>);

} // namespace

} // namespace Engine
