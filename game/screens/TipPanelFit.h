#pragma once

#include "engine/core/cProperties.h"
#include "engine/core/cVector2.h"

#include <vector>

namespace Engine
{
class cBorder;
class cMultiLineText;
class cView;
} // namespace Engine

// A tutorial panel that takes the height its text needs: the layout gives the panel at its
// tallest, for as many lines as its text view holds; a shorter text leaves the room of the
// lines it does not use out. The panel keeps its top edge, and every view of it keeps its
// distance from the nearer of the panel's top and bottom edges.
//
// The panel's look comes from two optional children of the layout made here: "Frame", a
// border view (a nine-patch picture) that covers the panel at its fitted size, and "Badge", a
// picture that keeps its place at the top. The panel itself shows no picture.
class TipPanelFit
{
public:
    // Makes "Frame" and "Badge" of `node` as children of `panel` (once) and notes where the
    // panel's views lie.
    void load(Engine::cView& panel, const Engine::tPropertiesPtr& node, Engine::cMultiLineText& text,
              const Engine::cView* free = nullptr);
    // Notes where the panel's views lie now, at the layout's height: a panel whose owner loads
    // more views after `load` notes them again. The view given as `free`, which its owner
    // places itself, is not moved by `fit`.
    void notePlaces(const Engine::cView* free = nullptr);
    // Fits the panel to the lines its text shows now and returns how far its middle moved up
    // (half the room left out): a view placed from the panel's middle keeps its place from the
    // top edge by adding it. `unused` is room at the panel's bottom that its owner does not
    // use either (the place of a button it does not have).
    float fit(float unused = 0.0f);

    Engine::cBorder* getFrame() const { return m_frame; }
    float getHeight() const { return m_height; }

private:
    struct sPlace
    {
        Engine::cView* view;
        Engine::cVector2 offset;
    };

    Engine::cView* m_panel = nullptr;
    Engine::cMultiLineText* m_text = nullptr;
    // Children of the panel (owned by the tree).
    Engine::cBorder* m_frame = nullptr;
    Engine::cView* m_badge = nullptr;
    std::vector<sPlace> m_places;
    // The layout's size, and the fitted height.
    Engine::cVector2 m_size;
    float m_height = 0.0f;
};
