#pragma once

#include "engine/ui/cComposite.h"
#include "engine/ui/cTextBox.h"
#include "engine/ui/cTextStyleButton.h"

#include <boost/function.hpp>
#include <boost/signals2/connection.hpp>

#include <string>

// The first start's question for the player's name ("MainMenu/FirstUser.xml": the composite's
// look, "NameEdit" and "OkButton"). The name field takes every character its font can draw;
// OK is enabled exactly while a name is typed that is more than spaces. OK or Return hides the
// panel (which pops its dialog state) and hands the name, as typed, to the name callback.
class cFirstUser : public Engine::cComposite
{
public:
    static constexpr const char* Layout = "MainMenu/FirstUser.xml";
    using tNameCallback = boost::function<void(const std::wstring&)>;

    // Built hidden and disabled: its dialog state shows and enables it.
    explicit cFirstUser(Engine::cControl* parent);
    ~cFirstUser() override;

    void loadXML(const Engine::tPropertiesPtr& node) override;
    // Takes Return while enabled.
    void onEnable() override;
    void onDisable() override;

    void setNameCallback(const tNameCallback& callback) { m_callback = callback; }
    // Backspace always; any other character the name field can draw.
    bool filterChar(wchar_t c) const;
    void updateOkButton();
    void onOk();

    Engine::cTextBox& getNameEdit() { return m_nameEdit; }
    Engine::cTextStyleButton& getOkButton() { return m_ok; }

private:
    boost::signals2::connection m_returnKey;
    // Children of the panel held here.
    Engine::cTextBox m_nameEdit;
    Engine::cTextStyleButton m_ok;
    tNameCallback m_callback;
};
