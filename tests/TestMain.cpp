// Test entry: initialises the window thread as the program does.
#include "shell/ProgramStart.h"

#include <gtest/gtest.h>
#include <ole2.h>

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    InitialiseApplication();
    OleInitialize(nullptr);
    int result = RUN_ALL_TESTS();
    OleUninitialize();
    return result;
}
