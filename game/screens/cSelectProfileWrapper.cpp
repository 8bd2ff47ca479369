#include "game/screens/cSelectProfileWrapper.h"

#include "engine/core/cProfileManager.h"
#include "engine/ui/cListBox.h"
#include "engine/ui/cTextBox.h"
#include "engine/ui/cTextStyleButton.h"
#include "engine/ui/cYesNo.h"
#include "game/screens/CGameEngine.h"

cSelectProfileWrapper::cSelectProfileWrapper(Engine::cControl* parent, bool loadNow)
    : Engine::cSelectProfile(false, loadNow)
{
    if (parent)
        setParent(parent);
}

cSelectProfileWrapper::~cSelectProfileWrapper() = default;

namespace
{

// Dialog states lie 1000 apart; the question takes the middle of this dialog's band.
constexpr float QuestionLift = 500.0f;

} // namespace

void cSelectProfileWrapper::accept()
{
    const std::wstring name = getNameEdit()->getText();
    if (name.empty())
        return;
    delete Engine::cProfileManager::instance();
    new Engine::cProfileManager(name);
    disable();
    callAcceptHook();
    hide();
}

void cSelectProfileWrapper::askDelete()
{
    disable();
    auto* question = new Engine::cYesNo(nullptr);
    question->setYesHandler(&cSelectProfileWrapper::answerYes);
    question->setNoHandler(&cSelectProfileWrapper::answerNo);
    m_deleteQuestion = deleteQuestion();
    question->setText(m_deleteQuestion);
    // The question is a dialog of its own, made after this one: it lies above this dialog,
    // wherever its dialog state put it, and below a dialog state pushed over this one.
    question->setDeep(getDeep() + QuestionLift);
    question->show();
    question->enable();
    CGameEngine::trace(L"Delete question shown\n");
}

cSelectProfileWrapper* cSelectProfileWrapper::runningDialog()
{
    return dynamic_cast<cSelectProfileWrapper*>(Engine::cSelectProfile::instance());
}

void cSelectProfileWrapper::answerYes(Engine::cYesNo* question)
{
    if (cSelectProfileWrapper* dialog = runningDialog())
        dialog->onDeleteConfirmed(question);
    else
        Engine::cControl::deleteLater(question);
}

void cSelectProfileWrapper::answerNo(Engine::cYesNo* question)
{
    if (cSelectProfileWrapper* dialog = runningDialog())
        dialog->onDeleteRefused(question);
    else
        Engine::cControl::deleteLater(question);
}

void cSelectProfileWrapper::close()
{
    disable();
    callCloseHook();
    hide();
}

void cSelectProfileWrapper::exit()
{
    const Engine::cTextStyleButton* button = getExitButton();
    if (getUserList()->getItemCount() == 0 || !button->isEffectivelyEnabled() || !button->isShown())
        return;
    close();
}

void cSelectProfileWrapper::cancel()
{
    if (getUserList()->getItemCount() == 0)
        return;
    close();
}
