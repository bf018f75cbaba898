// Entry point of Orvelin.exe.
#include "gui/ProgramStart.h"
#include "ui/Window.h"

#include <stdexcept>

// What escapes the program (the window procedures catch their own) is shown
// in the application's error box rather than ending it without a word.
int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int show) {
    try {
        return gui::RunOrvelin(show);
    } catch (const std::exception& error) {
        ui::ShowExceptionBox(nullptr, error);
    } catch (...) {
        ui::ShowExceptionBox(nullptr, std::runtime_error("Unexpected error"));
    }
    return 1;
}
