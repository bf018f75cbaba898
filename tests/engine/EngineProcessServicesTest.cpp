// What a program holds for its life: OLE on its thread and the Protected
// Storage library, both given back when the holder goes.
#include "platform/ProcessServices.h"

#include <gtest/gtest.h>
#include <ole2.h>

#include <thread>

namespace {

// Whether OLE is initialised on the calling thread (the probe's own
// initialisation is undone at once).
bool OleInitialisedHere() {
    const HRESULT probe = OleInitialize(nullptr);
    if (SUCCEEDED(probe)) OleUninitialize();
    return probe == S_FALSE;
}

struct Seen {
    bool oleBefore = true, oleWhileHeld = false, libraryWhileHeld = false;
    bool oleAfterSecond = false, libraryAfterSecond = false;
    bool oleAfter = true, libraryAfter = true;
};

// On a thread of its own: the test program's main thread has OLE already.
TEST(EngineProcessServices, HoldsOleAndTheLibraryForItsLifeAndReleasesBoth) {
    ASSERT_FALSE(platform::pstore::Available());  // no other holder in this program
    Seen seen;
    std::thread([&] {
        seen.oleBefore = OleInitialisedHere();
        {
            const platform::ProcessServices services;
            seen.oleWhileHeld = services.OleReady() && OleInitialisedHere();
            seen.libraryWhileHeld = platform::pstore::Available();
            { const platform::ProcessServices second; }
            // A second holder on the same thread leaves the first's in place.
            seen.oleAfterSecond = OleInitialisedHere();
            seen.libraryAfterSecond = platform::pstore::Available();
        }
        seen.oleAfter = OleInitialisedHere();
        seen.libraryAfter = platform::pstore::Available();
    }).join();
    EXPECT_FALSE(seen.oleBefore);
    EXPECT_TRUE(seen.oleWhileHeld);
    EXPECT_TRUE(seen.libraryWhileHeld);
    EXPECT_TRUE(seen.oleAfterSecond);
    EXPECT_TRUE(seen.libraryAfterSecond);
    EXPECT_FALSE(seen.oleAfter);
    EXPECT_FALSE(seen.libraryAfter);
}

}  // namespace
