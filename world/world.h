// One frame of play: input, view, drawing and moving the world by one step.
#pragma once

// Called by the frame driver once per frame of play, after the clear.
void UpdateWorld();
