#pragma once

#include "engine/core/cControl.h"
#include "engine/ui/cPicture.h"

#include <boost/signals2/connection.hpp>

#include <string>

// The logos at the start of the game: up to three full-screen pictures ("logo/logo.jpg",
// "logo/logo2.jpg", "logo/logo3.jpg"), each fading in over two seconds and staying four, one
// after the other. A key press and its release (two "any input" signals) skip to the next. A
// logo file that is missing or empty is passed over. After the last one the logo hides itself;
// its owner goes on from there.
class cLogo : public Engine::cControl
{
public:
    static constexpr float ShowTime = 4.0f;
    static constexpr float FadeInSpeed = 0.5f;
    static constexpr float FadeOutSpeed = -5.0f;
    static constexpr float Deep = 10000.0f;
    // After the last logo.
    static constexpr int Finished = 4;

    cLogo();
    ~cLogo() override;

    // The next logo when the current one has had its time, then the fade.
    void update() override;
    virtual bool isFadedOut() const;

    // Puts up the next logo that can be shown, or ends the sequence.
    void nextLogo();
    // Every second "any input" signal (a press and its release) goes to the next logo.
    void onInput();

    // 0 before the first logo, 1 to 3 while one is up, `Finished` after the last.
    int getStep() const { return m_step; }
    float getElapsed() const { return m_elapsed; }
    const Engine::cPicture& getPicture() const { return m_picture; }

private:
    // True when the file is there and not empty.
    static bool usable(const std::string& path);
    void putUp(const std::string& path);

    boost::signals2::scoped_connection m_input;
    // A child of the logo held here.
    Engine::cPicture m_picture;
    float m_elapsed = 0.0f;
    int m_step = 0;
    float m_alphaSpeed = 0.0f;
};
