// The clipboard's text: read, emptied and written, each in one open session.
#include "platform/Clipboard.h"

#include "platform/Text.h"

#include <windows.h>

#include <cstring>

namespace platform::clipboard {

namespace {

// Another program (under Wine, the desktop's clipboard keeper syncing with
// X) may hold the clipboard for a moment; a short bounded retry rides that out.
constexpr int kOpenAttempts = 20;
constexpr DWORD kOpenRetryMs = 10;

class ClipboardSession {
public:
    ClipboardSession() {
        for (int attempt = 0; attempt < kOpenAttempts && !open_; ++attempt) {
            open_ = OpenClipboard(nullptr) != 0;
            if (!open_) Sleep(kOpenRetryMs);
        }
    }
    ~ClipboardSession() {
        if (open_) CloseClipboard();
    }
    ClipboardSession(const ClipboardSession&) = delete;
    ClipboardSession& operator=(const ClipboardSession&) = delete;
    bool Open() const { return open_; }

private:
    bool open_ = false;
};

// A locked global memory block, unlocked on every path.
class GlobalLockGuard {
public:
    explicit GlobalLockGuard(HGLOBAL memory) : memory_(memory), data_(memory ? GlobalLock(memory) : nullptr) {}
    ~GlobalLockGuard() {
        if (data_) GlobalUnlock(memory_);
    }
    GlobalLockGuard(const GlobalLockGuard&) = delete;
    GlobalLockGuard& operator=(const GlobalLockGuard&) = delete;
    const char* Data() const { return static_cast<const char*>(data_); }
    char* MutableData() const { return static_cast<char*>(data_); }
    size_t Size() const { return data_ ? GlobalSize(memory_) : 0; }

private:
    HGLOBAL memory_;
    void* data_;
};

// A global block that is freed unless the clipboard has taken it.
class GlobalBlock {
public:
    explicit GlobalBlock(size_t size) : memory_(GlobalAlloc(GMEM_MOVEABLE, size)) {}
    ~GlobalBlock() {
        if (memory_) GlobalFree(memory_);
    }
    GlobalBlock(const GlobalBlock&) = delete;
    GlobalBlock& operator=(const GlobalBlock&) = delete;
    HGLOBAL Get() const { return memory_; }
    HGLOBAL Release() {
        HGLOBAL memory = memory_;
        memory_ = nullptr;
        return memory;
    }

private:
    HGLOBAL memory_;
};

}  // namespace

bool HasText() { return IsClipboardFormatAvailable(CF_TEXT) != 0; }

std::string ReadText() {
    ClipboardSession session;
    if (!session.Open()) return {};
    // The clipboard owns the handle: it is locked, never freed.
    GlobalLockGuard lock(static_cast<HGLOBAL>(GetClipboardData(CF_TEXT)));
    if (!lock.Data()) return {};
    return std::string(lock.Data(), strnlen(lock.Data(), lock.Size()));
}

bool Empty() {
    ClipboardSession session;
    return session.Open() && EmptyClipboard() != 0;
}

bool SetText(const std::string& text) {
    GlobalBlock block(text.size() + 1);
    if (!block.Get()) return false;
    {
        GlobalLockGuard lock(block.Get());
        if (!lock.MutableData()) return false;
        std::memcpy(lock.MutableData(), text.c_str(), text.size() + 1);
    }
    // The Unicode form is extra: without it the text is copied all the same
    // (the system makes one from CF_TEXT), so its failures do not fail the copy.
    const std::wstring wide = platform::text::Widen(text);
    GlobalBlock wideBlock((wide.size() + 1) * sizeof(wchar_t));
    bool wideReady = false;
    if (wideBlock.Get()) {
        GlobalLockGuard lock(wideBlock.Get());
        if (lock.MutableData()) {
            std::memcpy(lock.MutableData(), wide.c_str(), (wide.size() + 1) * sizeof(wchar_t));
            wideReady = true;
        }
    }
    ClipboardSession session;
    if (!session.Open() || !EmptyClipboard()) return false;
    if (!SetClipboardData(CF_TEXT, block.Get())) return false;
    block.Release();  // the clipboard owns it now
    if (wideReady && SetClipboardData(CF_UNICODETEXT, wideBlock.Get())) wideBlock.Release();
    return true;
}

}  // namespace platform::clipboard
