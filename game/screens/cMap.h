#pragma once

#include "engine/core/cSingleton.h"
#include "engine/ui/cForm.h"
#include "game/screens/cMapPage.h"

#include <boost/shared_ptr.hpp>
#include <boost/signals2/signal.hpp>

#include <array>
#include <cstdint>
#include <string>

namespace Engine
{
class cAnimButton;
class cFader;
class cPicture;
class cPyro;
class cTextStyleButton;
class cTexture;
} // namespace Engine

class cClouds;
class cMapButton;
class cMapNodeButton;

// The level map ("Map/Map.xml"): six pages, each a picture with a path of level nodes, buttons
// to the next and the previous page and to each page, a play button and a button back to the
// main menu (a form child tagged "MainMenuButton"), with clouds drifting over it.
//
// Levels are numbered in map order through the pages' node places; every place has a node, and
// the node of a place whose level file ("Levels/n" + number + ".xml") is not shipped stays
// locked, so that levels can be added to the map page by page. A level file without a place is
// written to the error log. A completed level (the player's value "Level" + number: its
// medal) shows its medal; the first level, a level after a completed one and the first level
// of a page after a completed page are open; the rest are locked. A page can be shown once one
// of its levels is open or completed, or the last level of the page before it with nodes is
// completed. Clicking an open node selects its level ("CurrentSelectedLevel"); clicking the
// selected node again, or play, raises `levelChosenSignal`. Pages slide in and out sideways
// over "EffectTime" seconds; the shown page is "CurrentMap".
//
// One map exists at a time: a second construction throws "Object already exist.".
class cMap : public Engine::cForm, public Engine::cSingleton<cMap>
{
public:
    static constexpr const char* Layout = "Map/Map.xml";
    static constexpr const char* SelectionEffect = "Effects/NewMapNodePyro.xml";
    static constexpr int PageCount = 6;

    // The node pictures, in the order of their keys.
    enum ePicture
    {
        PictureGold = 0,
        PictureSilver = 1,
        PictureCompleted = 2,
        PictureNew = 3,
        PictureSelected = 4,
        PictureDisabled = 5,
        PictureCount = 6,
    };

    using cSingleton<cMap>::instance;

    boost::signals2::signal<void(int32_t)> levelChosenSignal;

    explicit cMap(Engine::cControl* parent);
    ~cMap() override;

    // The form's step, then the page slide.
    void update() override;
    void loadXML(const Engine::tPropertiesPtr& node) override;
    // The shown page's node pictures and the clouds come and go with the map.
    void onShow() override;
    void onHide() override;
    // Plays the map's music.
    void onEnable() override;
    void onDisable() override;

    // Every node's completion and medal from the player's values; every node disabled.
    void loadLevelStates();
    // The shown page's nodes, their pictures and the buttons.
    void refresh();
    void updateNodes();
    void updateButtons();
    // A page with a node is available once one of its nodes is open or completed, or the last
    // node of the nearest page before it with nodes is completed.
    bool isPageAvailable(int page) const;
    void hidePageNodes();

    void onNodeClicked(cMapNodeButton* node);
    void onPlay();
    void onNextPage();
    void onPreviousPage();
    // A page button's press: the other buttons shrink, and the map slides to the page.
    void selectPage(int page);
    bool isSliding() const { return m_sliding; }

    // "CurrentMap", read as a page of the map (0 for a value outside the pages).
    int getCurrentPage() const;
    const cMapPage& getPage(int page) const { return m_pages[static_cast<size_t>(page)]; }
    // The node of a level; null when the map has none.
    cMapNodeButton* findNode(int level) const;
    cMapButton* getPageButton(int page) const { return m_pageButtons[static_cast<size_t>(page)]; }
    Engine::cAnimButton* getNextButton() const { return m_next; }
    Engine::cAnimButton* getPreviousButton() const { return m_previous; }
    Engine::cTextStyleButton* getPlayButton() const { return m_play; }
    Engine::cPicture* getNodeLayer() const { return m_nodeLayer; }
    Engine::cPicture* getPagePicture(int page) const;
    Engine::cControl* getCloudHost() const { return m_cloudHost; }
    cClouds* getClouds() const { return m_clouds; }
    Engine::cFader* getFader() const { return m_fader; }
    Engine::cPyro* getSelectionPrototype() const { return m_selection; }
    boost::shared_ptr<Engine::cTexture> getNodePicture(int picture) const;
    const std::wstring& getContinueQuestion() const { return m_continueQuestion; }
    const std::wstring& getBeginQuestion() const { return m_beginQuestion; }
    float getEffectTime() const { return m_effectTime; }
    float getLeftX() const { return m_leftX; }
    float getRightX() const { return m_rightX; }
    // The number of shipped levels among the nodes: places whose level file the game has.
    int getLevelCount() const { return m_levelCount; }
    // The number of nodes: every place of the map.
    int getPlaceCount() const;

private:
    void loadPages(const Engine::tPropertiesPtr& node);
    void loadPictures(const Engine::tPropertiesPtr& node);
    // Writes every level file numbered past the map's places to the error log: the map cannot
    // show it, yet the game goes on.
    void reportUnplacedLevels(int placeCount);
    // The nearest page before `page` that has nodes; null when there is none.
    const cMapPage* pageBefore(int page) const;
    void goToPage(int page);
    void startSlide(int from, int to);
    void endSlide();

    std::wstring m_continueQuestion;
    std::wstring m_beginQuestion;
    // A plain control beside the map (under the map's parent), owned by the map.
    Engine::cControl* m_cloudHost;
    // A child of the cloud host.
    cClouds* m_clouds;
    std::array<cMapPage, PageCount> m_pages;
    // The pages' pictures, children of the map (also in the page table while the map lives).
    std::array<Engine::cPicture*, PageCount> m_pagePictures{};
    // A root of its own, owned by the map.
    Engine::cFader* m_fader;
    // A child of the map, copied onto the selected node.
    Engine::cPyro* m_selection = nullptr;
    std::array<boost::shared_ptr<Engine::cTexture>, PictureCount> m_pictures;
    // Children of the node layer (owned by the tree).
    Engine::cAnimButton* m_next = nullptr;
    Engine::cAnimButton* m_previous = nullptr;
    Engine::cTextStyleButton* m_play = nullptr;
    // A child of the map holding every level node and the three buttons above.
    Engine::cPicture* m_nodeLayer = nullptr;
    bool m_sliding = false;
    int m_slideFrom = 0;
    int m_slideTo = 0;
    float m_effectTime = 0.0f;
    float m_timeLeft = 0.0f;
    float m_leftX = 0.0f;
    float m_rightX = 0.0f;
    // Children of the map (owned by the tree).
    std::array<cMapButton*, PageCount> m_pageButtons{};
    int m_levelCount = 0;
};
