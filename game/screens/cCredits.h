#pragma once

#include "engine/ui/cComposite.h"
#include "engine/ui/cTextStyleButton.h"

// The credits ("MainMenu/Credits.xml": the composite's pictures and texts, and
// "ReturnButton"). The return button disables the panel and fades it out; once it has faded
// it is hidden, which pops its dialog state.
class cCredits : public Engine::cComposite
{
public:
    static constexpr const char* Layout = "MainMenu/Credits.xml";

    explicit cCredits(Engine::cControl* parent);
    ~cCredits() override;

    void loadXML(const Engine::tPropertiesPtr& node) override;
    void onReturn();

    Engine::cTextStyleButton& getReturnButton() { return m_return; }

private:
    // A child of the panel held here.
    Engine::cTextStyleButton m_return;
};
