// THistoryScanThread: collects the Internet Explorer traces of the chosen
// history sections off the window thread and hands them over in batches.
#pragma once

#include "history/HistoryOperations.h"
#include "ui/Worker.h"

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

class THistoryScanThread : public ui::WorkerThread {
public:
    enum : unsigned char {
        kVisitedPages = kScanVisitedPages,
        kTemporaryFiles = kScanTemporaryFiles,
        kCookies = kScanCookies,
        kTypedUrls = kScanTypedUrls
    };
    // Lines reach the window thread in collection order, in batches.
    using Deliver = std::function<void(std::vector<std::string>&& lines)>;

    // Created suspended; the page sets the fields below and calls Resume().
    // deliver runs on the window thread; the end step (SetOnTerminate) runs
    // there after the last delivery, also when a collector raised (its error
    // goes to OnError first) or the worker was stopped.
    THistoryScanThread(HWND owner, Deliver deliver);

    unsigned char SectionFlags = 0;  // set before Resume
    std::string Mask = "*";
    // Runs on the window thread before a collector's error is shown, so the
    // owner can first show the lines it holds back (set before Resume).
    std::function<void()> BeforeError;

protected:
    // Bits in the order 1, 2, 4, 8, each when set and no stop was asked.
    void Execute() override;
    void OnError(const std::exception& error) override;

private:
    Deliver deliver_;
};
