#pragma once

// After a won level: the profile value "CurrentSelectedLevel" moves to the next level (it
// never reaches 45: the map holds levels 0 to 44), and "CurrentMap" becomes the map page that
// shows it (0 when no page does).
void selectNextLevel();
