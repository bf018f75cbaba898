// Entry point of Orvelin.exe.
#include "shell/ProgramStart.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int show) { return RunOrvelin(show); }
