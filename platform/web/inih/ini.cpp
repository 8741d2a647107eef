// The browser build's stand-in for Debian's libinih, which has no wasm
// build: a settings file must read the same in the browser as on the
// desktop, to the line a mistake is reported on, so this parses as Debian
// 12's library does, its odd corners included.
#include "ini.h"

#include <cstring>

namespace {

// Debian's build reads through a 200-byte buffer: a longer line arrives in
// pieces, and each piece is parsed, and counted, as a line of its own.
constexpr int kLineBytes = 200;
// A section name and the key a continuation line adds to are kept to 49
// characters; the key on its own line reaches the handler whole.
constexpr size_t kSectionBytes = 50;
constexpr size_t kNameBytes = 50;

// The C locale's whitespace, whatever locale the program runs in.
bool IsSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

char* SkipSpace(char* s) {
    while (IsSpace(*s)) ++s;
    return s;
}

void CutTrailingSpace(char* s) {
    char* end = s + std::strlen(s);
    while (end > s && IsSpace(end[-1])) --end;
    *end = '\0';
}

// The first of `stops` (none when null), or a ';' just after whitespace,
// which starts a comment; the terminator when there is neither.
char* FindStop(char* s, const char* stops) {
    bool afterSpace = false;
    for (; *s != '\0'; ++s) {
        if ((stops != nullptr && std::strchr(stops, *s) != nullptr) || (afterSpace && *s == ';')) break;
        afterSpace = IsSpace(*s);
    }
    return s;
}

void CopyCut(char* out, size_t size, const char* in) {
    size_t n = 0;
    while (n + 1 < size && in[n] != '\0') {
        out[n] = in[n];
        ++n;
    }
    out[n] = '\0';
}

bool StartsWithBom(const char* s) {
    return static_cast<unsigned char>(s[0]) == 0xEF && static_cast<unsigned char>(s[1]) == 0xBB &&
           static_cast<unsigned char>(s[2]) == 0xBF;
}

}  // namespace

extern "C" int orvanthe_ini_parse_stream(ini_reader reader, void* stream, ini_handler handler, void* user) {
    char line[kLineBytes];
    char section[kSectionBytes] = "";
    char lastName[kNameBytes] = "";  // what an indented line continues
    int lineNumber = 0;
    int firstError = 0;
    while (reader(line, kLineBytes, stream) != nullptr) {
        ++lineNumber;
        char* start = lineNumber == 1 && StartsWithBom(line) ? line + 3 : line;
        CutTrailingSpace(start);
        start = SkipSpace(start);
        bool ok = true;
        if (*start == '\0' || *start == ';' || *start == '#') {
            // Blank or a comment; neither ends a value's continuation.
        } else if (lastName[0] != '\0' && start > line) {
            // An indented line is one more value for the last key, taken
            // whole: no comment is cut from it.
            ok = handler(user, section, lastName, start) != 0;
        } else if (*start == '[') {
            char* end = FindStop(start + 1, "]");
            if (*end == ']') {
                *end = '\0';
                CopyCut(section, sizeof section, start + 1);
                lastName[0] = '\0';
            } else {
                ok = false;  // the section stays as it was
            }
        } else {
            char* end = FindStop(start, "=:");
            if (*end == '=' || *end == ':') {
                *end = '\0';
                CutTrailingSpace(start);
                char* value = end + 1;
                *FindStop(value, nullptr) = '\0';
                value = SkipSpace(value);
                CutTrailingSpace(value);
                CopyCut(lastName, sizeof lastName, start);
                ok = handler(user, section, start, value) != 0;
            } else {
                ok = false;
            }
        }
        if (!ok && firstError == 0) firstError = lineNumber;
    }
    return firstError;
}
