#include "game/screens/cSystemMessage.h"

#include "engine/core/StringUtils.h"
#include "engine/ui/LayoutKeys.h"
#include "engine/ui/RequiredControl.h"
#include "engine/ui/cMultiLineText.h"
#include "engine/ui/cTextStyleButton.h"
#include "game/screens/CGameEngine.h"

cSystemMessage::cSystemMessage(Engine::cControl* parent, const char* layout, const wchar_t* textKey)
    : Engine::cDialog(parent), m_ok(new Engine::cTextStyleButton(this)), m_textKey(textKey)
{
    m_ok->connectClickAction([this] { onOk(); });
    Engine::loadLayout(*this, layout);
    CGameEngine::trace((L"System message " + Engine::fromUtf8(layout) + L"\n").c_str());
}

cSystemMessage::~cSystemMessage()
{
    // Going away is not closing: whoever waits for the hide is not told.
    hiddenSignal.disconnect_all_slots();
    disable();
    hide();
}

void cSystemMessage::loadXML(const Engine::tPropertiesPtr& node)
{
    Engine::cDialog::loadXML(node);
    Engine::loadRequiredPart(*m_ok, node, L"OkButton");
    if (m_textKey)
    {
        std::wstring text;
        if (!Engine::readKey(node, m_textKey, text))
            throw std::string("the text \"") + Engine::toUtf8(m_textKey) + "\" is missing";
        for (Engine::cView* part : getParts())
            if (auto* lines = dynamic_cast<Engine::cMultiLineText*>(part))
                lines->setText(text);
    }
    enable();
}

void cSystemMessage::onOk()
{
    if (m_closed)
        return;
    m_closed = true;
    CGameEngine::trace(L"System message closed\n");
    // Closed, it goes from the screen and lets go of the pointer before anyone hears of it: a
    // message told next in its place takes the pointer resting on it.
    disable();
    hide();
    closedSignal(this);
    deleteLater(this);
}
