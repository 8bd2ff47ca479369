#pragma once

#include "engine/core/cVector2.h"
#include "engine/ui/cComposite.h"
#include "engine/ui/cPicture.h"

#include <boost/function.hpp>
#include <boost/signals2/connection.hpp>

namespace Engine
{
class cTextStyleButton;
} // namespace Engine

// The main menu's question whether to quit ("MainMenu/YesNoExit.xml"): a face that looks
// gloomy while the pointer is on Yes and glad while it is on No, and a Yes button that backs
// away from the approaching pointer.
//
// Yes (or Return) and No (or Escape) hide the panel, which pops its dialog state; the owner's
// action on Yes runs after that. The keys are let go while the panel is hidden.
//
// The Yes button is pushed directly away from a pointer within `FleeRadius` units of it, up to
// `FleeDistance` units from where the layout put it, moving at most `FleeSpeed` units a second;
// it glides home when the pointer leaves, and stands still while the pointer is on it.
class cYesNoExitPanel : public Engine::cComposite
{
public:
    static constexpr const char* Layout = "MainMenu/YesNoExit.xml";
    static constexpr float FleeRadius = 80.0f;
    static constexpr float FleeDistance = 30.0f;
    static constexpr float FleeSpeed = 120.0f;

    enum eLogo
    {
        LogoNormal = 0,
        LogoGloomy = 1,
        LogoGlad = 2,
    };

    explicit cYesNoExitPanel(Engine::cControl* parent);
    ~cYesNoExitPanel() override;

    // The fleeing Yes button and the face, then the picture's step.
    void update() override;
    // The root as the composite, then "YesButton", "NoButton", "LogoNormal", "LogoGloomy" and
    // "LogoGlad".
    void loadXML(const Engine::tPropertiesPtr& node) override;
    void onShow() override;
    void onHide() override;

    // An action on the Yes button's click; it runs after the panel's own hide.
    void setYesAction(const boost::function<void()>& action);
    // Shows the face of that index and hides the other two.
    void selectLogo(int index);
    // Where the Yes button goes from `position` in one step of `dt` seconds with the pointer
    // at `pointer`, coming from its home `home`.
    static Engine::cVector2 fleeStep(const Engine::cVector2& position, const Engine::cVector2& pointer,
                                     const Engine::cVector2& home, float dt);

    Engine::cTextStyleButton* getYesButton() const { return m_yes; }
    Engine::cTextStyleButton* getNoButton() const { return m_no; }
    const Engine::cVector2& getHome() const { return m_home; }
    const Engine::cPicture& getLogo(int index) const { return m_logos[index]; }

private:
    void connectKeys();

    boost::signals2::scoped_connection m_returnKey;
    boost::signals2::scoped_connection m_escapeKey;
    Engine::cVector2 m_home;
    // Children of the panel (owned by the tree).
    Engine::cTextStyleButton* m_yes;
    Engine::cTextStyleButton* m_no;
    boost::function<void()> m_yesKey;
    boost::function<void()> m_noKey;
    // Children of the panel held here: normal, gloomy, glad.
    Engine::cPicture m_logos[3];
};
