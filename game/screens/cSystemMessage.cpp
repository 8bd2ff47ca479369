#include "game/screens/cSystemMessage.h"

#include "engine/core/StringUtils.h"
#include "engine/ui/LayoutKeys.h"
#include "engine/ui/RequiredControl.h"
#include "engine/ui/cMultiLineText.h"
#include "engine/ui/cTextStyleButton.h"
#include "game/screens/CGameEngine.h"

cSystemMessage::cSystemMessage(Engine::cControl* parent, const char* layout)
    : Engine::cDialog(parent), m_ok(new Engine::cTextStyleButton(this)), m_layout(layout)
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
    m_node = node;
    enable();
}

void cSystemMessage::useText(const wchar_t* key)
{
    std::wstring text;
    if (!m_node || !Engine::readKey(m_node, key, text))
        throw std::string("Layout \"") + m_layout + "\": the text \"" + Engine::toUtf8(key) + "\" is missing";
    for (Engine::cView* part : getParts())
        if (auto* lines = dynamic_cast<Engine::cMultiLineText*>(part))
            lines->setText(text);
}

void cSystemMessage::onOk()
{
    if (m_closed)
        return;
    m_closed = true;
    CGameEngine::trace(L"System message closed\n");
    closedSignal(this);
    deleteLater(this);
}
