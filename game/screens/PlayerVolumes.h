#pragma once

// Sets the sound's volumes to the current player's: those the player saved ("SaveSettings",
// "MusicVolume", "SoundVolume"), else 50 and 50. Nothing without a current player or a sound
// object. The state machine has the profile store call it whenever a player becomes current,
// before any sound of the player's plays, on every way into the game.
void applyPlayerVolumes();
