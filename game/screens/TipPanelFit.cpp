#include "game/screens/TipPanelFit.h"

#include "engine/ui/LayoutKeys.h"
#include "engine/ui/cBorder.h"
#include "engine/ui/cMultiLineText.h"
#include "engine/ui/cPicture.h"
#include "engine/ui/cTextLine.h"

#include <algorithm>

void TipPanelFit::load(Engine::cView& panel, const Engine::tPropertiesPtr& node, Engine::cMultiLineText& text,
                       const Engine::cView* free)
{
    m_panel = &panel;
    m_text = &text;
    if (!m_frame)
    {
        auto* frame = new Engine::cBorder(&panel);
        if (Engine::loadChildPart(*frame, node, L"Frame"))
        {
            // A border view takes the size of its children when it loads; this one covers the
            // panel.
            m_frame = frame;
            m_frame->setPosition(panel.getPosition());
            m_frame->setSize(panel.getSize());
        }
        else
            delete frame;
    }
    if (!m_badge)
    {
        auto* badge = new Engine::cPicture(&panel);
        if (Engine::loadChildPart(*badge, node, L"Badge"))
            m_badge = badge;
        else
            delete badge;
    }
    m_size = panel.getSize();
    m_height = m_size.y;
    notePlaces(free);
}

void TipPanelFit::notePlaces(const Engine::cView* free)
{
    if (!m_panel)
        return;
    m_places.clear();
    for (Engine::cControl* child : m_panel->getChildren())
        if (auto* view = dynamic_cast<Engine::cView*>(child); view && view != free && view != m_frame)
            m_places.push_back({view, view->getPosition() - m_panel->getPosition()});
}

float TipPanelFit::fit(float unused)
{
    if (!m_panel || !m_text)
        return 0.0f;
    int shown = 0;
    for (const Engine::cTextLine* line : m_text->getLines())
        shown += line->isVisible() && !line->getText().empty() ? 1 : 0;
    const float used = static_cast<float>(std::max(shown, 1)) * m_text->getUsedInterlinear();
    float spare = std::max(0.0f, m_text->getSize().y - used) + std::max(0.0f, unused);
    // The frame's corners are never squeezed.
    if (m_frame)
        spare = std::min(spare, std::max(0.0f, m_size.y - 2.0f * m_frame->getSlice().y));
    const float top = m_panel->getPosition().y - m_height * 0.5f;
    m_height = m_size.y - spare;
    const Engine::cVector2 middle(m_panel->getPosition().x, top + m_height * 0.5f);
    // Moving the panel moves its children: it goes first.
    m_panel->setPosition(middle);
    m_panel->setSize({m_size.x, m_height});
    const float half = spare * 0.5f;
    for (const sPlace& place : m_places)
    {
        const float keep = place.offset.y < 0.0f ? half : -half;
        place.view->setPosition(middle + place.offset + Engine::cVector2(0.0f, keep));
    }
    if (m_frame)
    {
        m_frame->setPosition(middle);
        m_frame->setSize({m_size.x, m_height});
    }
    return half;
}
