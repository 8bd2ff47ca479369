#include "engine/ui/cSelectProfile.h"

#include "engine/core/StringUtils.h"
#include "engine/core/cProfileManager.h"
#include "engine/core/cStrings.h"
#include "engine/devices/cInput.h"
#include "engine/ui/LayoutKeys.h"
#include "engine/ui/cButtonCaption.h"
#include "engine/ui/cListBox.h"
#include "engine/ui/cPicture.h"
#include "engine/ui/cTextBox.h"
#include "engine/ui/cTextLine.h"
#include "engine/ui/cTextStyleButton.h"
#include "engine/ui/cYesNo.h"

#include <list>

namespace Engine
{

namespace
{

constexpr uint32_t EscapeKey = 1;
constexpr uint32_t ReturnKey = 28;
constexpr wchar_t Backspace = 8;
constexpr wchar_t NoBreakSpace = 0xA0;

// The player store is the process's one `cProfileManager`, reached through its instance: a
// change of player deletes the former player's store (which saves it) and makes the new
// player's, which lives until the next change (or the end of the game).
void switchPlayer(const std::wstring& name)
{
    delete cProfileManager::instance();
    if (!name.empty())
        new cProfileManager(name);
}

} // namespace

const std::wstring& cSelectProfile::nameCharacters()
{
    static const std::wstring characters =
        L"-0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"
        L"\u0410\u0411\u0412\u0413\u0414\u0415\u0401\u0416\u0417\u0418\u0419\u041A\u041B\u041C\u041D"
        L"\u041E\u041F\u0420\u0421\u0422\u0423\u0424\u0425\u0426\u0427\u0428\u0429\u042A\u042B\u042C"
        L"\u042D\u042E\u042F"
        L"\u0430\u0431\u0432\u0433\u0434\u0435\u0451\u0436\u0437\u0438\u0439\u043A\u043B\u043C\u043D"
        L"\u043E\u043F\u0440\u0441\u0442\u0443\u0444\u0445\u0446\u0447\u0448\u0449\u044A\u044B\u044C"
        L"\u044D\u044E\u044F";
    return characters;
}

cSelectProfile::cSelectProfile(bool hideExit, bool loadNow)
    : cDialog(nullptr), m_userList(new cListBox(this)), m_nameEdit(new cTextBox(this)),
      m_okButton(new cTextStyleButton(this)), m_exitButton(new cTextStyleButton(this)),
      m_deleteButton(new cTextStyleButton(this)), m_cancelButton(new cTextStyleButton(this)),
      m_background(new cPicture(this)), m_bigLogo(new cPicture(this)), m_nameUnderlay(new cPicture(this)),
      m_enterNameText(new cTextLine(this)), m_hideExit(hideExit)
{
    m_okButton->connectClickAction([this] { accept(); });
    m_exitButton->connectClickAction([this] { exit(); });
    m_deleteButton->connectClickAction([this] { askDelete(); });
    m_cancelButton->connectClickAction([this] { cancel(); });
    m_nameEdit->changedSignal.connect([this](cTextBox*) { onNameChanged(); });
    m_nameEdit->connect([this](wchar_t c) { return acceptNameChar(c); });
    m_userList->selectionSignal.connect([this](uint32_t index, cListBox*) { onRowPicked(index); });
    if (loadNow)
        loadLayout();
    m_constructed = true;
}

cSelectProfile::~cSelectProfile() = default;

void cSelectProfile::loadLayout()
{
    Engine::loadLayout(*this, LayoutPath);
}

bool cSelectProfile::acceptNameChar(wchar_t c) const
{
    if (c == Backspace)
        return true;
    if (c == NoBreakSpace || nameCharacters().find(c) == std::wstring::npos)
        return false;
    return m_nameEdit->isPrintable(c);
}

int32_t cSelectProfile::rowOf(const std::wstring& name) const
{
    for (uint32_t i = 0; i < m_userList->getItemCount(); ++i)
        if (m_userList->getItemText(i) == name)
            return static_cast<int32_t>(i);
    return -1;
}

void cSelectProfile::fillList()
{
    m_userList->clear();
    std::list<std::wstring> names;
    if (const cProfileManager* profiles = cProfileManager::instance())
        profiles->getProfileNames(names);
    else
        names = cProfileManager::readProfileNames();
    for (const std::wstring& name : names)
        m_userList->addItem(name);
}

void cSelectProfile::onNameChanged()
{
    const std::wstring& name = m_nameEdit->getText();
    const bool listed = rowOf(name) >= 0;
    if (name.empty())
    {
        m_okButton->disable();
        m_deleteButton->hide();
        m_cancelButton->show();
    }
    else if (listed)
    {
        m_okButton->show();
        m_okButton->enable();
        m_okButton->setCaptionText(m_okText);
        if (!m_deleteButton->isShown())
            m_deleteButton->show();
        m_cancelButton->hide();
    }
    else
    {
        m_okButton->show();
        m_okButton->enable();
        m_okButton->setCaptionText(m_newText);
        m_deleteButton->hide();
        m_cancelButton->show();
    }
}

void cSelectProfile::onRowPicked(uint32_t index)
{
    const std::wstring name = m_userList->getItemText(index);
    m_nameEdit->setText(name);
    m_selectedIndex = static_cast<int32_t>(index);
    switchPlayer(name);
    m_deleteButton->show();
    m_deleteButton->enable();
    m_okButton->show();
    m_okButton->setCaptionText(m_okText);
    m_cancelButton->hide();
}

void cSelectProfile::accept()
{
    const std::wstring name = m_nameEdit->getText();
    if (name.empty())
        return;
    switchPlayer(name);
    disable();
    fadeOutAndDestroy();
    callAcceptHook();
}

void cSelectProfile::exit()
{
    if (m_userList->getItemCount() == 0 || !m_exitButton->isEffectivelyEnabled() || !m_exitButton->isShown())
        return;
    disable();
    callCloseHook();
}

void cSelectProfile::cancel()
{
    if (m_userList->getItemCount() == 0)
        return;
    disable();
    fadeOutAndDestroy();
    callCloseHook();
}

void cSelectProfile::askDelete()
{
    disable();
    hide();
    // The question is a root of the tree: its answer queues it for deletion.
    auto* question = new cYesNo(nullptr);
    question->setYesHandler(&answerYes);
    question->setNoHandler(&answerNo);
    question->setText(deleteQuestion());
    question->show();
    question->enable();
}

std::wstring cSelectProfile::deleteQuestion() const
{
    std::wstring question = m_confirmText;
    if (cStrings* strings = cStrings::instance())
        question = strings->translate(question);
    replaceAll(question, L"{name}", m_nameEdit->getText());
    return question;
}

void cSelectProfile::answerYes(cYesNo* question)
{
    if (cSelectProfile* dialog = instance())
        dialog->onDeleteConfirmed(question);
    else
        deleteLater(question);
}

void cSelectProfile::answerNo(cYesNo* question)
{
    if (cSelectProfile* dialog = instance())
        dialog->onDeleteRefused(question);
    else
        deleteLater(question);
}

void cSelectProfile::onDeleteConfirmed(cYesNo* question)
{
    const std::wstring name = m_nameEdit->getText();
    if (!name.empty())
    {
        if (cProfileManager* profiles = cProfileManager::instance())
            profiles->deleteProfile(name);
        fillList();
        m_deleteButton->hide();
        m_nameEdit->setText(std::wstring());
        m_exitButton->hide();
        const cProfileManager* profiles = cProfileManager::instance();
        const std::wstring current = profiles ? profiles->currentUserName() : std::wstring();
        switchPlayer(current);
    }
    deleteLater(question);
    enable();
    show();
    if (m_userList->getItemCount() == 0)
    {
        m_deleteButton->hide();
        m_cancelButton->show();
        m_cancelButton->disable();
    }
}

void cSelectProfile::onDeleteRefused(cYesNo* question)
{
    deleteLater(question);
    enable();
    show();
}

void cSelectProfile::callAcceptHook()
{
    if (m_acceptHook)
        m_acceptHook();
}

void cSelectProfile::callCloseHook()
{
    if (m_closeHook)
        m_closeHook();
}

void cSelectProfile::update()
{
    cDialog::update();
    const bool named = !m_nameEdit->getText().empty();
    if (named && !m_okButton->isEnabled())
        m_okButton->enable();
    else if (!named && m_okButton->isEnabled())
        m_okButton->disable();
}

void cSelectProfile::onEnable()
{
    cDialog::onEnable();
    if (cInput* input = cInput::instance())
    {
        m_returnKey = input->connectKey(keyReleased(ReturnKey), [this] { accept(); });
        m_escapeKey = input->connectKey(keyReleased(EscapeKey), [this] { exit(); });
    }
    if (const cProfileManager* profiles = cProfileManager::instance(); profiles && m_constructed)
    {
        m_nameEdit->setText(profiles->currentUserName());
        onNameChanged();
        m_cancelButton->enable();
    }
}

void cSelectProfile::onDisable()
{
    cDialog::onDisable();
    m_returnKey.disconnect();
    m_escapeKey.disconnect();
}

void cSelectProfile::loadXML(const tPropertiesPtr& node)
{
    cDialog::loadXML(node);
    if (!node)
        return;
    readKey(node, L"StringOK", m_okText);
    readKey(node, L"StringNew", m_newText);
    readKey(node, L"StringConfirm", m_confirmText);
    loadChildPart(*m_background, node, L"Background");
    loadChildPart(*m_bigLogo, node, L"BigLogo");
    loadChildPart(*m_nameUnderlay, node, L"PodlogkaPodImia");
    loadChildPart(*m_enterNameText, node, L"EnterNameText");
    loadChildPart(*m_nameEdit, node, L"NameEdit");
    loadChildPart(*m_okButton, node, L"OkButton");
    if (loadChildPart(*m_exitButton, node, L"ExitButton") && m_hideExit)
        m_exitButton->hide();
    loadChildPart(*m_deleteButton, node, L"DeleteButton");
    m_deleteButton->hide();
    loadChildPart(*m_cancelButton, node, L"CancelButton");
    m_cancelButton->hide();
    if (loadChildPart(*m_userList, node, L"UserList"))
        fillList();
}

} // namespace Engine
