// What every long engine operation reports to while it runs (a scan, a fix,
// a backup or restore, a History listing or Delete All, a snapshot's save,
// load and repairs): how far it has come, texts the user should read, and,
// for an operation that yields rows, each row. A window's worker, a console
// loop and a test each give their own sink; the operation neither knows nor
// cares. Called on the thread that runs the operation. Every such operation
// also takes a common::StopToken, by value (it is a cheap handle).
#pragma once

#include <cstddef>
#include <string>

namespace common {

class IProgressSink {
public:
    // done of total units of the stage that what names (its text as the user
    // reads it, or the item in hand); total 0 while it is not known yet. done
    // only grows within a stage; an operation that runs to its end last
    // reports done == total.
    virtual void Progress(size_t done, size_t total, const std::string& what) = 0;
    // A text the user should read before the operation goes on: the call
    // returns once it has been shown (a window's sink waits for its box).
    virtual void Notice(const std::string& text) = 0;

protected:
    ~IProgressSink() = default;
};

// The same for an operation that yields rows of type Item.
template <class Item>
class IItemSink : public IProgressSink {
public:
    virtual void Add(Item&& item) = 0;

protected:
    ~IItemSink() = default;
};

// A sink that listens to nothing, for callers that show no progress.
class NoProgress final : public IProgressSink {
public:
    void Progress(size_t, size_t, const std::string&) override {}
    void Notice(const std::string&) override {}
};
inline IProgressSink& NoProgressSink() {
    static NoProgress none;  // keeps nothing: any thread may use it
    return none;
}

}  // namespace common
