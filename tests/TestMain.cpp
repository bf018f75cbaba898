// Test entry: initialises the window thread as the program does; a box or
// dialog no test scripted fails the test instead of waiting for a click.
#include "gui/ProgramStart.h"
#include "TestSupport.h"

#include <gtest/gtest.h>
#include <ole2.h>

using namespace gui;

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    testing_support::FailOnUnscriptedDialogs();
    InitialiseApplication();
    OleInitialize(nullptr);
    int result = RUN_ALL_TESTS();
    OleUninitialize();
    return result;
}
