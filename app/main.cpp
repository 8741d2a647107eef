// The orvanthe executable: this entry point plus the SDL backend.
#include "app/program.h"

int main() { return ProgramMain(); }
