// A pad in the player's hands shakes as a shot leaves and, harder, as a
// shot hits a monster; not without a pad, nor when the player has turned
// rumble off. Only felt: nothing in play depends on it.
#pragma once

void RumbleForShot();
void RumbleForHit();
