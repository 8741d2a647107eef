// The browser build's <ini.h>: the part of Debian's libinih the settings
// file is read with, for a build that has no libinih to link. The parser
// has a name of its own, so a program may link it beside the real library.
#pragma once

typedef int (*ini_handler)(void* user, const char* section, const char* name, const char* value);
typedef char* (*ini_reader)(char* str, int num, void* stream);

extern "C" int orvanthe_ini_parse_stream(ini_reader reader, void* stream, ini_handler handler, void* user);

// Returns 0 for a clean text, else the number of the first line that was not
// INI or that the handler refused (parsing goes on past it).
static inline int ini_parse_stream(ini_reader reader, void* stream, ini_handler handler, void* user) {
    return orvanthe_ini_parse_stream(reader, stream, handler, user);
}
