#pragma once

#include "engine/core/cVector2.h"
#include "engine/ui/cPicture.h"

#include <map>
#include <string>

class cGameResources;
class cResourceList;

namespace Engine
{
class cMultiLineText;
}

// One tip window: a panel picture ("Panel") that places itself beside a point of the screen,
// opening towards the screen's centre, with tagged texts ("Texts"), tagged pictures ("Pics")
// and two resource rows ("in_res", what the unit takes; "out_res", what it gives). A window
// that would leave the screen places itself again.
//
// Tags are exact and case-sensitive; every tag operation ignores a tag the window lacks.
class cTooltipView : public Engine::cPicture
{
public:
    explicit cTooltipView(Engine::cControl* parent);
    ~cTooltipView() override;

    // Re-placed when it leaves the screen, then the picture's step.
    void update() override;
    // "ShowDelayTime", "Panel" (the window's own picture and "Offset"), the two rows, "Texts"
    // and "Pics", each part at its own "deep"; the window is hidden.
    void loadXML(const Engine::tPropertiesPtr& node) override;
    void setAlpha(float alpha) override;

    // Beside `point`: right of it and below it on the screen's upper left half, mirrored
    // towards the centre elsewhere.
    void place(const Engine::cVector2& point);
    void showTip();
    void hideTip();

    void setText(const std::wstring& tag, const std::wstring& text);
    void showText(const std::wstring& tag, bool on);
    Engine::cMultiLineText* findText(const std::wstring& tag) const;
    void setPicture(const std::wstring& tag, const std::string& path);
    void showPicture(const std::wstring& tag);
    void hidePicture(const std::wstring& tag);
    Engine::cPicture* findPicture(const std::wstring& tag) const;
    // The in row against the level's resources `have`; the out row against itself (never
    // greyed).
    void setLists(const cGameResources& in, const cGameResources& out, const cGameResources& have);

    cResourceList* getInList() const { return m_in; }
    cResourceList* getOutList() const { return m_out; }
    const Engine::cVector2& getOffset() const { return m_offset; }
    float getDirection() const { return m_direction; }

    // The screen the windows keep to: the virtual screen of the render device (1024 x 768
    // without one).
    static Engine::cVector2 screenSize();

private:
    // A view made by `make` for every child of the node's `group`, entered under its "Tag".
    template <class T, class Make>
    void loadTagged(const Engine::tPropertiesPtr& node, const wchar_t* group,
                    std::map<std::wstring, T*>& tagged, Make make);

    Engine::cVector2 m_offset{0.0f, 0.0f};
    float m_direction = 0.0f;
    float m_showDelay = 0.0f;
    float m_delayLeft = 0.0f;
    std::map<std::wstring, Engine::cMultiLineText*> m_texts;
    std::map<std::wstring, Engine::cPicture*> m_pictures;
    // Children of the window (owned by the tree).
    cResourceList* m_in;
    cResourceList* m_out;
};
