#include "game/screens/cFirstUser.h"

#include "engine/devices/cInput.h"
#include "engine/ui/LayoutKeys.h"
#include "engine/ui/RequiredControl.h"

#include <algorithm>
#include <cwctype>

namespace
{

constexpr uint32_t ReturnKey = 28;
constexpr wchar_t Backspace = 8;
constexpr wchar_t NoBreakSpace = 0xA0;

// A name of spaces only draws nothing: the menu's plate would stand blank.
bool isBlank(const std::wstring& name)
{
    return std::all_of(name.begin(), name.end(),
                       [](wchar_t c) { return c == NoBreakSpace || std::iswspace(static_cast<wint_t>(c)); });
}

} // namespace

cFirstUser::cFirstUser(Engine::cControl* parent) : Engine::cComposite(parent), m_nameEdit(this), m_ok(this)
{
    Engine::loadLayout(*this, Layout);
    m_ok.connectClickAction([this] { onOk(); });
    m_nameEdit.connect([this](wchar_t c) { return filterChar(c); });
    m_nameEdit.changedSignal.connect([this](Engine::cTextBox*) { updateOkButton(); });
    hide();
    disable();
}

cFirstUser::~cFirstUser()
{
    // Going away is not closing: whoever waits for the hide is not told.
    hiddenSignal.disconnect_all_slots();
    disable();
    hide();
    m_returnKey.disconnect();
}

void cFirstUser::loadXML(const Engine::tPropertiesPtr& node)
{
    Engine::cComposite::loadXML(node);
    Engine::loadRequiredPart(m_nameEdit, node, L"NameEdit");
    Engine::loadRequiredPart(m_ok, node, L"OkButton");
}

void cFirstUser::onEnable()
{
    Engine::cComposite::onEnable();
    m_returnKey.disconnect();
    if (Engine::cInput* input = Engine::cInput::instance())
        m_returnKey = input->connectKey(Engine::keyReleased(ReturnKey), [this] { onOk(); });
    updateOkButton();
}

void cFirstUser::onDisable()
{
    Engine::cComposite::onDisable();
    m_returnKey.disconnect();
}

bool cFirstUser::filterChar(wchar_t c) const
{
    return c == Backspace || m_nameEdit.isPrintable(c);
}

void cFirstUser::updateOkButton()
{
    if (isBlank(m_nameEdit.getText()))
        m_ok.disable();
    else
        m_ok.enable();
}

void cFirstUser::onOk()
{
    const std::wstring name = m_nameEdit.getText();
    if (isBlank(name))
        return;
    // Hiding pops the dialog state; the panel itself is deleted at the end of the frame.
    const tNameCallback callback = m_callback;
    hide();
    if (callback)
        callback(name);
}
