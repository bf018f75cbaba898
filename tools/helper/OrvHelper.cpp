// A small console program that tests and the demo machine start, find
// running and end. It waits the number of seconds given (default 60), so a
// test that forgets it does not leave it running for long.
#include <windows.h>

#include <cstdlib>

int main(int argc, char** argv) {
    int seconds = argc > 1 ? std::atoi(argv[1]) : 60;
    if (seconds <= 0) seconds = 60;
    Sleep(static_cast<DWORD>(seconds) * 1000);
    return 0;
}
