#pragma once

#include "engine/ui/cComposite.h"

#include <boost/function.hpp>
#include <boost/signals2/connection.hpp>

#include <string>

namespace Engine
{
class cMultiLineText;
class cTextStyleButton;
} // namespace Engine

// The game's yes/no question ("Common/PanelYesNo.xml"): a question text, a Yes and a No
// button. Whoever pushes its dialog state sets the question and the answers' actions.
//
// Either button hides the panel first (which pops its dialog state), then the owner's action
// runs. Return and Space answer Yes and Escape answers No by raising the button's click signal
// (no sound, no button state). The keys act from construction on and are let go whenever the
// panel hides (and taken again when it shows), so two answer keys released in one frame answer
// once.
//
// The layout's required "StyleCommon" child is the panel's own look; "YesButton", "NoButton"
// and "Text" load the two buttons and the question.
class cYesNoPanel : public Engine::cComposite
{
public:
    static constexpr const char* DefaultLayout = "Common/PanelYesNo.xml";

    // An empty layout name loads the default layout.
    explicit cYesNoPanel(Engine::cControl* parent, const std::wstring& layout = std::wstring());
    ~cYesNoPanel() override;

    void loadXML(const Engine::tPropertiesPtr& node) override;
    // Takes the answer keys again.
    void onShow() override;
    // Lets go of the answer keys.
    void onHide() override;

    // Connect an action to a button's click; it runs after the panel's own hide.
    void setYesAction(const boost::function<void()>& action);
    void setNoAction(const boost::function<void()>& action);
    // The question, laid out at once.
    void setText(const std::wstring& text);

    Engine::cTextStyleButton* getYesButton() const { return m_yes; }
    Engine::cTextStyleButton* getNoButton() const { return m_no; }
    Engine::cMultiLineText* getText() const { return m_text; }

private:
    void connectKeys();
    void answer(Engine::cTextStyleButton* button);

    boost::signals2::scoped_connection m_returnKey;
    boost::signals2::scoped_connection m_spaceKey;
    boost::signals2::scoped_connection m_escapeKey;
    // Children of the panel (owned by the tree).
    Engine::cTextStyleButton* m_yes;
    Engine::cTextStyleButton* m_no;
    Engine::cMultiLineText* m_text;
};
