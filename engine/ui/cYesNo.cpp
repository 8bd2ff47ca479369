#include "engine/ui/cYesNo.h"

#include "engine/core/cTimer.h"
#include "engine/devices/cInput.h"
#include "engine/ui/LayoutKeys.h"
#include "engine/ui/cMultiLineText.h"
#include "engine/ui/cTextStyleButton.h"

namespace Engine
{

namespace
{

constexpr uint32_t EscapeKey = 1;
constexpr uint32_t ReturnKey = 28;
constexpr uint32_t SpaceKey = 57;

void deleteDialog(cYesNo* dialog)
{
    deleteLater(dialog);
}

} // namespace

cYesNo::cYesNo(cControl* blocked, const char* layout)
    : cAnimDialog(nullptr), m_yesButton(new cTextStyleButton(this)), m_noButton(new cTextStyleButton(this)),
      m_text(new cMultiLineText(this)), m_yesHandler(&deleteDialog), m_noHandler(&deleteDialog),
      m_blocked(blocked)
{
    m_yesButton->connectClickAction([this] { onYes(); });
    m_noButton->connectClickAction([this] { onNo(); });
    loadLayout(*this, layout ? layout : DefaultLayout);
}

cYesNo::~cYesNo()
{
    if (isEffectivelyEnabled() && isShown())
        releaseBlocked();
}

void cYesNo::releaseBlocked()
{
    if (m_blocked && isAlive(m_blocked))
        m_blocked->enable();
}

void cYesNo::setText(const std::wstring& text)
{
    m_text->setText(text, true);
}

void cYesNo::onYes()
{
    disable();
    fadeOutAndDestroy();
    if (m_yesHandler)
        m_yesHandler(this);
}

void cYesNo::onNo()
{
    disable();
    hide();
    if (m_noHandler)
        m_noHandler(this);
}

void cYesNo::onShow()
{
    cAnimDialog::onShow();
    m_pauseLeft = m_pauseYes;
}

void cYesNo::onEnable()
{
    cAnimDialog::onEnable();
    if (m_blocked && isAlive(m_blocked))
        m_blocked->disable();
    if (cInput* input = cInput::instance())
    {
        m_returnKey = input->connectKey(keyReleased(ReturnKey), [this] { onYes(); });
        m_spaceKey = input->connectKey(keyReleased(SpaceKey), [this] { onYes(); });
        m_escapeKey = input->connectKey(keyReleased(EscapeKey), [this] { onNo(); });
    }
}

void cYesNo::onDisable()
{
    cAnimDialog::onDisable();
    releaseBlocked();
    m_returnKey.disconnect();
    m_spaceKey.disconnect();
    m_escapeKey.disconnect();
}

void cYesNo::update()
{
    cAnimDialog::update();
    if (m_blocked && isAlive(m_blocked) && m_blocked->isEffectivelyEnabled())
        m_blocked->disable();
    if (m_pauseYes == 0.0f)
        return;
    const cTimer* timer = cTimer::instance();
    m_pauseLeft -= timer ? timer->getFrameTime() : 0.0f;
    if (m_pauseLeft >= 0.0f)
    {
        m_yesButton->disable();
        return;
    }
    m_pauseLeft = -0.1f;
    m_yesButton->enable();
}

void cYesNo::loadXML(const tPropertiesPtr& node)
{
    cAnimDialog::loadXML(node);
    if (!node)
        return;
    readKey(node, L"PauseYes", m_pauseYes);
    loadChildPart(*m_yesButton, node, L"YesButton");
    loadChildPart(*m_noButton, node, L"NoButton");
    loadChildPart(*m_text, node, L"Text");
}

} // namespace Engine
