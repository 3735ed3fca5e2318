// main() of every test program that runs under Wine.
#include <gtest/gtest.h>

#include <cstdio>

int main(int argc, char **argv)
{
    // Unbuffered, so that the output of a process that ends abruptly (an X
    // error, the emulator) is complete up to that point.
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
