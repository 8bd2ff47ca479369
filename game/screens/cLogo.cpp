#include "game/screens/cLogo.h"

#include "engine/core/cFileSystem.h"
#include "engine/core/cStream.h"
#include "engine/core/cTimer.h"
#include "engine/devices/cInput.h"
#include "engine/devices/cTexture.h"
#include "game/screens/CGameEngine.h"

#include <memory>

namespace
{

// Raised for every input event; a key press and its release make two.
constexpr uint32_t AnyInput = 1100;

const char* const LogoFiles[3] = {"logo/logo.jpg", "logo/logo2.jpg", "logo/logo3.jpg"};

// One for the whole program: a press and its release advance once.
bool inputToggle = false;

} // namespace

cLogo::cLogo() : Engine::cControl(nullptr), m_picture(this)
{
    m_picture.setPosition(Engine::cVector2(512.0f, 384.0f));
    m_picture.setDeep(Deep);
    m_picture.setAlpha(0.0f);
    m_picture.show();
    m_picture.enable();
    show();
    enable();
    if (Engine::cInput* input = Engine::cInput::instance())
        m_input = input->connectKey(static_cast<Engine::eControl>(AnyInput), [this] { onInput(); });
}

cLogo::~cLogo() = default;

bool cLogo::isFadedOut() const
{
    return m_picture.getAlpha() <= 0.0f;
}

bool cLogo::usable(const std::string& path)
{
    const Engine::cFileSystem* files = Engine::cFileSystem::instance();
    if (!files || !files->isKnown(path))
        return false;
    const std::unique_ptr<Engine::cStream> stream = files->openFile(path);
    return stream && stream->size() > 0;
}

void cLogo::putUp(const std::string& path)
{
    CGameEngine::trace(L"Logo shown\n");
    m_elapsed = 0.0f;
    m_picture.setAlpha(0.0f);
    m_picture.setTexture(path);
    if (const boost::shared_ptr<Engine::cTexture> texture = m_picture.getTexture())
        m_picture.setSize(Engine::cVector2(static_cast<float>(texture->getImageWidth()),
                                           static_cast<float>(texture->getImageHeight())));
}

void cLogo::nextLogo()
{
    if (m_step >= 0 && m_step < 3)
    {
        // A missing or empty first or second logo is passed over. The last one is put up
        // without a look: a failure to load it is the program's failure, told as such.
        const std::string path = LogoFiles[m_step];
        ++m_step;
        m_alphaSpeed = FadeInSpeed;
        if (m_step == 3 || usable(path))
            putUp(path);
        else
            nextLogo();
        return;
    }
    if (m_step == 3)
    {
        m_step = Finished;
        m_alphaSpeed = FadeOutSpeed;
        hide();
    }
}

void cLogo::onInput()
{
    inputToggle = !inputToggle;
    if (inputToggle || m_step == Finished)
        return;
    CGameEngine::trace(L"Logo skipped\n");
    nextLogo();
}

void cLogo::update()
{
    if (m_step == 0 || (m_step >= 1 && m_step <= 3 && m_elapsed >= ShowTime))
        nextLogo();
    const float dt = Engine::cTimer::instance() ? Engine::cTimer::instance()->getFrameTime() : 0.0f;
    m_picture.setAlpha(m_picture.getAlpha() + m_alphaSpeed * dt);
    m_elapsed += dt;
}
