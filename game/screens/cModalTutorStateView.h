#pragma once

#include "game/screens/cTutorTipView.h"

namespace Engine
{
class cTextStyleButton;
}

// The modal tutorial message: the pointer tip's panel and arrow with an "OkButton" that closes
// it. Shown by the modal tutorial state, above the paused level.
class cModalTutorStateView : public cTutorTipView
{
public:
    explicit cModalTutorStateView(Engine::cControl* parent = nullptr);

    void loadXML(const Engine::tPropertiesPtr& node) override;

    Engine::cTextStyleButton* getOkButton() const { return m_okButton; }

protected:
    // The panel's bottom holds the button.
    float unusedRoom() const override { return 0.0f; }

private:
    // A child (owned by the tree).
    Engine::cTextStyleButton* m_okButton;
};
