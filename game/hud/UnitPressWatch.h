#pragma once

#include <boost/signals2/connection.hpp>

class cUnitView;

// Watches the presses of the primary button on one unit view for those that make no click of
// its unit, and traces each with why ("Click on Cement#2 makes no goal: " and why), since the
// player sees nothing follow them:
// - a press the view cannot take: a view holds the pointer instead (one lying over the unit
//   that orders nothing, or one the pointer has left without moving since), no view holds the
//   pointer, or the unit's arrow under the pointer is greyed;
// - a press the view took that no click follows: the pointer left the view before the release,
//   or the press was taken from it before the release.
// A unit a click never orders (a hero, its tool, the birds) is not watched: a press on it is
// the unit's below.
class UnitPressWatch
{
public:
    explicit UnitPressWatch(const cUnitView& view) : m_view(view) {}
    UnitPressWatch(const UnitPressWatch&) = delete;
    UnitPressWatch& operator=(const UnitPressWatch&) = delete;

    // Listens to the primary button. Started after the view's own input is connected, it hears
    // a press or a release when the view's handlers have run.
    void start();
    // Listens no more, and forgets a press held.
    void stop();
    // The view's press handler has run: a press it took is held until its release.
    void pressTaken();
    // The view's click handler is about to run, at the release of the press it holds.
    void clicking();

private:
    void onPressed();
    void onReleased();
    // Whether the view's unit is one whose presses are watched.
    bool watched() const;

    const cUnitView& m_view;
    boost::signals2::scoped_connection m_pressConnection;
    boost::signals2::scoped_connection m_releaseConnection;
    // The view took a press whose release has not come yet.
    bool m_held = false;
};
