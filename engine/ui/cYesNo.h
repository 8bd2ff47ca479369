#pragma once

#include "engine/ui/cAnimDialog.h"

#include <boost/function.hpp>
#include <boost/signals2/connection.hpp>

#include <string>

namespace Engine
{

class cMultiLineText;
class cTextStyleButton;

// The yes/no question: an animated dialog with a question ("Text"), a Yes and a No button
// ("YesButton", "NoButton"), laid out by "UI/YesNo.xml" unless another layout is named.
//
// While it is shown and enabled, Return and Space (released) answer Yes and Escape answers No,
// and the blocked control given to the constructor stays disabled; it is enabled again when the
// dialog is disabled or destroyed (a blocked control deleted meanwhile is left alone). Yes
// disables the dialog, fades it out to its destruction and runs the yes handler; No disables
// and hides it and runs the no handler. Both handlers default to queueing the dialog for
// deletion. With "PauseYes" the Yes button stays disabled for that many seconds after each
// show, while the keys already answer.
class cYesNo : public cAnimDialog
{
public:
    using tHandler = boost::function<void(cYesNo*)>;

    static constexpr const char* DefaultLayout = "UI/YesNo.xml";

    // A root dialog loaded from `layout` (the default layout when null).
    explicit cYesNo(cControl* blocked, const char* layout = nullptr);
    ~cYesNo() override;

    // The fade, the blocked control kept disabled, and the pause of the Yes button.
    void update() override;
    // The animated dialog's keys, then "PauseYes" and the children "YesButton", "NoButton"
    // and "Text".
    void loadXML(const tPropertiesPtr& node) override;
    // Starts the pause of the Yes button.
    void onShow() override;
    // Disables the blocked control and connects the keys.
    void onEnable() override;
    // Enables the blocked control and lets go of the keys.
    void onDisable() override;

    void setYesHandler(const tHandler& handler) { m_yesHandler = handler; }
    void setNoHandler(const tHandler& handler) { m_noHandler = handler; }
    // The question, laid out at once.
    void setText(const std::wstring& text);
    void onYes();
    void onNo();

    cTextStyleButton* getYesButton() const { return m_yesButton; }
    cTextStyleButton* getNoButton() const { return m_noButton; }
    cMultiLineText* getText() const { return m_text; }
    float getPauseYes() const { return m_pauseYes; }

private:
    void releaseBlocked();

    boost::signals2::scoped_connection m_returnKey;
    boost::signals2::scoped_connection m_spaceKey;
    boost::signals2::scoped_connection m_escapeKey;
    // Children of the dialog (owned by the tree).
    cTextStyleButton* m_yesButton;
    cTextStyleButton* m_noButton;
    cMultiLineText* m_text;
    tHandler m_yesHandler;
    tHandler m_noHandler;
    // Not owned; checked to be alive before every use.
    cControl* m_blocked;
    float m_pauseYes = 0.0f;
    float m_pauseLeft = 0.0f;
};

} // namespace Engine
