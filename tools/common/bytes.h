// Building binary files in memory and writing them out whole.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Little-endian, as every format the game reads stores its numbers:
// appended, or written over the bytes from `at` on.
void PutU16(std::vector<uint8_t>& out, uint16_t v);
void PutU32(std::vector<uint8_t>& out, uint32_t v);
void PutI32(std::vector<uint8_t>& out, int32_t v);
void PutF32(std::vector<uint8_t>& out, float v);
void PutU16(std::vector<uint8_t>& out, size_t at, uint16_t v);
void PutU32(std::vector<uint8_t>& out, size_t at, uint32_t v);
void PutI32(std::vector<uint8_t>& out, size_t at, int32_t v);
void PutF32(std::vector<uint8_t>& out, size_t at, float v);
// PNG's numbers are big-endian.
void PutU32BigEndian(std::vector<uint8_t>& out, uint32_t v);

// False, after one stderr line naming the program and the file, when the
// file cannot be written completely.
bool WriteFile(const std::string& path, const std::vector<uint8_t>& bytes);
