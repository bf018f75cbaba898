// Entry of the engine's tests: they link the engine alone, with no window
// code, as a console program would. A box no test scripted fails the test.
#include "EngineTestSupport.h"

#include <gtest/gtest.h>
#include <ole2.h>

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    testing_support::FailOnUnscriptedPrompts();
    OleInitialize(nullptr);
    int result = RUN_ALL_TESTS();
    OleUninitialize();
    return result;
}
