#include "game/screens/cSelectProfileWrapper.h"

#include "engine/core/cProfileManager.h"
#include "engine/ui/cListBox.h"
#include "engine/ui/cTextBox.h"
#include "engine/ui/cTextStyleButton.h"
#include "engine/ui/cYesNo.h"

#include <algorithm>
#include <limits>

cSelectProfileWrapper::cSelectProfileWrapper(Engine::cControl* parent, bool loadNow)
    : Engine::cSelectProfile(false, loadNow)
{
    if (parent)
        setParent(parent);
}

cSelectProfileWrapper::~cSelectProfileWrapper() = default;

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
    m_deleteQuestion = getConfirmText();
    question->setText(m_deleteQuestion);
    question->show();
    question->enable();
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

float cSelectProfileWrapper::getDeep() const
{
    float lowest = std::numeric_limits<float>::max();
    bool any = false;
    for (Engine::cControl* child : getChildren())
        if (const auto* view = dynamic_cast<const Engine::cView*>(child))
        {
            lowest = std::min(lowest, view->getDeep());
            any = true;
        }
    return any ? lowest : 0.0f;
}

void cSelectProfileWrapper::setDeep(float deep)
{
    const float delta = deep - getDeep();
    for (Engine::cControl* child : getChildren())
        if (auto* view = dynamic_cast<Engine::cView*>(child))
            view->setDeep(view->getDeep() + delta);
}
