#pragma once

#include "engine/ui/cPicture.h"
#include "engine/ui/cProgressFloat.h"

// The small progress bar over a unit while a hero works on it (and over a unit during a speed
// bonus): the engine's progress bar drawn over a background picture, the substrate. Its
// layout ("ui/unitprogress.xml", "UI/autoProgress.xml") holds the bar's keys and the child
// "Substrate". A reversed bar shows the maximum less the value it is given in its layout.
class cUnitProgressView : public Engine::cProgressFloat
{
public:
    cUnitProgressView(Engine::cControl* parent, bool reversed);
    cUnitProgressView(const cUnitProgressView&) = delete;
    ~cUnitProgressView() override;

    // The bar's keys, then the child "Substrate" into the substrate; a layout without it
    // throws the wide text "cUnitProgressView::loadXML(): no \"Substrate\"".
    void loadXML(const Engine::tPropertiesPtr& node) override;
    // Mirrors the bar and its substrate alike.
    void setInverceX(bool inverse) override;

    const Engine::cPicture& getSubstrate() const { return m_substrate; }
    bool isReversed() const { return m_reversed; }

private:
    // A child of the bar held by value: it leaves the bar's children when it is destroyed,
    // before the bar itself, so nothing may queue it for deletion.
    Engine::cPicture m_substrate;
    bool m_reversed;
};
