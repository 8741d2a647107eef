// The browser build's INI parser beside Debian's libinih: for every text the
// same reads, the same handler calls and the same answer, so a settings file
// reads the same in the browser as on the desktop.
#include <gtest/gtest.h>
#include <ini.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "core/settings.h"

// Were the browser build's folder on this include path, <ini.h> would be
// ours and the test would compare it with itself.
#ifndef INI_MAX_LINE
#error "<ini.h> is not Debian's libinih"
#endif

// In a namespace of its own, as its ini_parse_stream has Debian's name.
namespace web {
#include "platform/web/inih/ini.h"
}

namespace {

using Parser = int (*)(ini_reader, void*, ini_handler, void*);

// Control characters and high bytes as \xNN, so a mismatch can be read.
std::string Shown(const std::string& s) {
    std::string out;
    for (unsigned char c : s) {
        if (c < 0x20 || c > 0x7e || c == '\\') {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02x", c);
            out += hex;
        } else {
            out += char(c);
        }
    }
    return out;
}

struct Run {
    const std::string* text = nullptr;
    size_t at = 0;
    const std::string* refused = nullptr;  // the key the handler says no to
    std::vector<std::string> seen;
    std::vector<std::string> names;  // as the handler had them, each once
};

// fgets over the text, as the game reads its settings.
char* ReadLine(char* out, int size, void* stream) {
    auto* run = static_cast<Run*>(stream);
    run->seen.push_back("read " + std::to_string(size));
    if (run->at == run->text->size() || size < 2) return nullptr;
    const size_t newline = run->text->find('\n', run->at);
    const size_t end = newline == std::string::npos ? run->text->size() : newline + 1;
    const size_t n = std::min(end - run->at, size_t(size - 1));
    std::memcpy(out, run->text->data() + run->at, n);
    out[n] = '\0';
    run->at += n;
    return out;
}

int Record(void* user, const char* section, const char* name, const char* value) {
    auto* run = static_cast<Run*>(user);
    run->seen.push_back("[" + Shown(section) + "] " + Shown(name) + " = " + Shown(value));
    if (std::find(run->names.begin(), run->names.end(), name) == run->names.end()) run->names.push_back(name);
    return run->refused == nullptr || *run->refused != name;
}

std::vector<std::string> Parse(Parser parse, const std::string& text, const std::string* refused) {
    Run run;
    run.text = &text;
    run.refused = refused;
    const int result = parse(ReadLine, &run, Record, &run);
    run.seen.push_back("returns " + std::to_string(result));
    return run.seen;
}

// The keys Debian's parse calls the handler with.
std::vector<std::string> Names(const std::string& text) {
    Run run;
    run.text = &text;
    ini_parse_stream(ReadLine, &run, Record, &run);
    return run.names;
}

// Ours against Debian's on the text as it is, then with the handler refusing
// `refused`, or each key in turn when none is given.
void ExpectSameParse(const std::string& text, const std::vector<std::string>* refused = nullptr) {
    SCOPED_TRACE("text: \"" + Shown(text) + "\"");
    EXPECT_EQ(Parse(web::ini_parse_stream, text, nullptr), Parse(ini_parse_stream, text, nullptr));
    const std::vector<std::string> names = refused ? *refused : Names(text);
    for (const std::string& name : names) {
        SCOPED_TRACE("refusing \"" + Shown(name) + "\"");
        EXPECT_EQ(Parse(web::ini_parse_stream, text, &name), Parse(ini_parse_stream, text, &name));
    }
}

std::string WithCrLf(const std::string& text) {
    std::string out;
    for (char c : text) out += c == '\n' ? std::string("\r\n") : std::string(1, c);
    return out;
}

}  // namespace

TEST(BrowserIni, ParsesEachTextAsDebiansLibinih) {
    const std::string bom = "\xEF\xBB\xBF";
    const std::string written = FormatSettings(Settings());
    const std::string changed = FormatSettings(Settings{true, 1.0f / 3, true, 0, 35, false, 75});
    std::vector<std::string> texts = {
        written,
        changed,
        WithCrLf(changed),
        bom + written,
        bom + WithCrLf(written),
        changed.substr(0, changed.size() - 1),  // no newline at the end
        "",
        "\n",
        "\n\n\r\n \t\n",
        // Sections, empty ones among them.
        "[display]",
        "[display]\n[controls]\n[sound]\n",
        "[]\na=1\n[s]\n[]\nb=2",
        "[s]x=1\ny=2\n[t] ; comment\nz=3\n[u] junk\nw=4",
        "[ s ]\na=1\n[s]]\nb=2\n[[s]\nc=3\n[s\nd=4\n[\ne=5\n]\nf=6",
        "[s ;t]\na=1\n[s;t]\nb=2\n[s\t;t]\nc=3\n[;t]\nd=4\n[ ;t]\ne=5",
        "  [s]  \n\t[t]\t\na=1",
        // name = value and name : value.
        "a=1\nb:2\nc = d = e\nf : g = h\ni = j : k\nl==m\nn::o",
        "=v\n:v\n = v\n\t:\t v \n=\n:",
        "a\n=1\nb\n:2",
        // Whitespace is C's: space, \t, \n, \v, \f, \r.
        "  a  =  1  \n\tb\t=\t2\t\n\va\v=\f1\f\r\n",
        "a\xA0=\xA0"
        "b\x85\n\xA0"
        "c=d\n\xFF=\xFE\n",
        // Comments: ';' and '#' opening a line, ';' after whitespace inside one.
        "; c\n# c\n  ; c\n\t# c\na=1 ; c\nb=1;c\nc=1 #c\nd= ;c\ne=;c\nf=1\t;c\ng=1\r;c\nh = x ; y ; z\ni = ;",
        "a ;b=1\na;b=1\na #b=1\na\t;b:1\n;=1\n#=1",
        // An indented line continues the last key's value.
        "a=1\n b\n\tc\n\n d\n# c\n e\n; c\n\t f \n[s]\n g\n",
        "a=1\n [x]\n y=z\n ;c\n #c\n v ; not a comment\n w;x\n",
        "a=1\nbad\n b\n[bad\n c\n[s]\n d\n",
        "=v\n cont\n:w\n cont\n",
        "x=1\n  y  \t\n",
        "\va=1\n\vb\n\fc\n\rd\n",
        // Errors: the first is the answer, and parsing goes on.
        "junk\na=1\n[open\nmore junk\nb=2",
        "a=1\nb=2\njunk\n[s]\njunk\nc=3",
        // A byte-order mark is skipped at the start of the text only.
        bom,
        bom + "\n",
        bom + "[s]\nx=1",
        bom + "a=1\n b\n",
        bom + "  a=1\n b\n",
        bom + "junk\n",
        bom + bom + "a=1\n",
        "\xEF\xBB[s]\nx=1\n",
        "\xEF\n",
        "x=1\n" + bom + "[s]\nx=2\n",
        // Line ends.
        "a=1\r\nb=2\r\n",
        "a=1\rb=2\r",
        "a=1\r\rb=2\r\n",
        "a=1\n\r\n\r\r\nb=2\n\r",
        // Garbage.
        "]]==::;;##[[\t\r\v\f\n[=]\n[:]\n=:=\n:=:\n;[\n#]\n [ \n ] \n",
        "[s]\n\n\n[t\nu=1\nv\n",
    };

    // Lines about the 200-byte buffer: what does not fit is read as a line of its own.
    for (size_t length : {197, 198, 199, 200, 201, 202, 396, 397, 398, 399, 400, 401, 600}) {
        texts.push_back("a=" + std::string(length - 2, 'x') + "\nb=1\n");
        texts.push_back("a=" + std::string(length - 2, 'x') + "\r\nb=1\r\n");
        texts.push_back("a = " + std::string(length - 4, 'x') + " cont\nb=1\n");
        texts.push_back("a=" + std::string(length - 2, 'x') + "=y\nb=1\n");
        texts.push_back("[s]\na=" + std::string(length - 2, 'x') + " ; z\n");
        texts.push_back("; " + std::string(length - 2, 'c') + "\n");
        texts.push_back("; " + std::string(length - 2, 'c') + " ; [t]\nb=1\n");
        texts.push_back("[" + std::string(length - 2, 's') + "]\nb=1\n");
        texts.push_back("[" + std::string(length - 2, 's') + "\nb=1\n");
        texts.push_back(std::string(length - 2, 'n') + "=1\n cont\n");
        texts.push_back("a=1\n" + std::string(length - 2, ' ') + "cont\nb=1");
        texts.push_back("a=" + std::string(length - 2, ' ') + ";\n");
        texts.push_back(bom + "a=" + std::string(length - 2, 'x') + "\nb=1\n");
    }
    // Section names and continued keys are kept to 49 characters.
    for (size_t length : {48, 49, 50, 51, 120}) {
        texts.push_back("[" + std::string(length, 's') + "]\na=1\n b\n");
        texts.push_back(std::string(length, 'n') + "=1\n cont\n");
        texts.push_back(std::string(length, 'n') + " = 1\n cont\n");
    }

    for (const std::string& text : texts) ExpectSameParse(text);
}

// Texts drawn from the characters INI gives a meaning to, a few letters,
// and sometimes a byte-order mark; lines sometimes too long for the buffer.
TEST(BrowserIni, RandomTextsParseAsWithDebiansLibinih) {
    const std::string dense = "[]=:;# \t\r\n\n\n\v\fabxy1";
    const std::string sparse = "[]=:;# \t\r\v\fabxyz12345";
    std::mt19937 random(20240917);
    for (int i = 0; i < 4000 && !HasFailure(); ++i) {
        std::string text = random() % 10 == 0 ? "\xEF\xBB\xBF" : "";
        const bool longLines = random() % 4 == 0;
        const size_t length = random() % (longLines ? 700 : 160);
        while (text.size() < length) {
            if (longLines && random() % 60 == 0) {
                text += '\n';
            } else {
                const std::string& alphabet = longLines ? sparse : dense;
                text += alphabet[random() % alphabet.size()];
            }
        }
        // One key refused, when there is one to refuse.
        const std::vector<std::string> names = Names(text);
        std::vector<std::string> refused;
        if (!names.empty()) refused.push_back(names[random() % names.size()]);
        ExpectSameParse(text, &refused);
    }
}
