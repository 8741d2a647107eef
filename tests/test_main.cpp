#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdlib>
#include <string>

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    // A game won in a test keeps its best run in a folder of its own, never
    // in the home of whoever runs the tests.
    char folder[] = "/tmp/orvanthe-data-XXXXXX";
    if (!mkdtemp(folder)) return 1;
    setenv("XDG_DATA_HOME", folder, 1);
    const int result = RUN_ALL_TESTS();
    return std::system(("rm -rf " + std::string(folder)).c_str()) == 0 ? result : 1;
}
