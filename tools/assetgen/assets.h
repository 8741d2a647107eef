// One generator per family of asset files; each writes into `dir` and
// returns false (after one stderr line) when a file could not be made.
#pragma once

#include <string>

bool MakeImages(const std::string& dir);  // grass, t1, sky, particle, va, vb
bool MakeFont(const std::string& dir);    // f.glf
bool MakeIcons(const std::string& dir);   // 16x16.png ... 256x256.png
bool MakeModel(const std::string& dir);   // tris2.md2, model.bmp
bool MakeSounds(const std::string& dir);  // bulletFire, explode, ugh, wpqce
