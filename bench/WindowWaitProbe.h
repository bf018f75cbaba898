// Measures the longest time a window thread was kept from its messages: a
// thread of its own posts a stamped message to a hidden window of the
// window thread every few milliseconds; each one's lateness when it is
// dispatched is a wait, and the longest wins. Modal loops dispatch the
// messages too, so waits inside them count.
#pragma once

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>

class WindowWaitProbe {
public:
    WindowWaitProbe() {
        WNDCLASSA cls{};
        cls.lpfnWndProc = &Procedure;
        cls.hInstance = GetModuleHandleA(nullptr);
        cls.lpszClassName = "OrvBenchWaitProbe";
        RegisterClassA(&cls);
        window_ = CreateWindowExA(0, cls.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
        SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        poster_ = std::thread([this] {
            while (!stop_) {
                PostMessageA(window_, kStamp, 0, static_cast<LPARAM>(NowMicroseconds()));
                Sleep(kIntervalMs);
            }
        });
    }
    ~WindowWaitProbe() {
        stop_ = true;
        poster_.join();
        DestroyWindow(window_);
    }
    WindowWaitProbe(const WindowWaitProbe&) = delete;
    WindowWaitProbe& operator=(const WindowWaitProbe&) = delete;

    // Forgets what was measured so far (call when the timed part starts).
    void Reset() {
        longestUs_ = 0;
        stamps_ = 0;
    }
    double LongestWaitMs() const { return static_cast<double>(longestUs_) / 1000.0; }
    long Stamps() const { return stamps_; }

private:
    static constexpr UINT kStamp = WM_APP + 0x3A1;
    static constexpr DWORD kIntervalMs = 2;

    static long long NowMicroseconds() {
        return std::chrono::duration_cast<std::chrono::microseconds>(
                   std::chrono::steady_clock::now().time_since_epoch())
            .count();
    }
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == kStamp) {
            auto* probe = reinterpret_cast<WindowWaitProbe*>(GetWindowLongPtrA(window, GWLP_USERDATA));
            if (probe) {
                probe->longestUs_ = std::max(probe->longestUs_, NowMicroseconds() - static_cast<long long>(lParam));
                ++probe->stamps_;
            }
            return 0;
        }
        return DefWindowProcA(window, message, wParam, lParam);
    }

    HWND window_ = nullptr;
    std::atomic<bool> stop_{false};
    std::thread poster_;
    long long longestUs_ = 0;  // window thread only
    long stamps_ = 0;
};
