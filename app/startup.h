// Start-up and shutdown around the main loop. Assets are loaded here once;
// a missing one leaves its object empty and the game runs on without it.
#pragma once

// Called once, after the window, GL context and fixed GL state exist.
void InitGame();
// Called once, after the main loop has ended.
void ShutdownGame();
