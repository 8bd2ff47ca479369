#pragma once

#include "game/screens/CGameState.h"

#include <boost/shared_ptr.hpp>

class cLogo;

// The first state of a normal start: the logos, then the main menu.
class CIntroState : public CGameState
{
public:
    static CIntroState& instance();

    // The logos start; once the last has gone the state changes to the main menu.
    void Init() override;
    // The logos are queued for deletion.
    void Cleanup() override;
    void Pause() override;
    void Resume() override;
    void Update(CGameEngine* engine) override;
    // The last logo has gone: on to the main menu.
    void onLogosDone();

    cLogo* getLogo() const { return m_logo.get(); }

private:
    CIntroState() = default;

    boost::shared_ptr<cLogo> m_logo;
};
