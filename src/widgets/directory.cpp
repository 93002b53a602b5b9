#include "widgets/directory.h"

#include <memory>

namespace {

constexpr DWORD kUnpumpedMs = 20;

// Makes the first look at folders on a thread of its own, started once: a thread started for
// each look cost the window 25-30 ms under Wine (every library the program has loaded hears of
// each thread's start and end).
class FirstEntryReader {
public:
    FirstEntryReader()
        : asked_(CreateEventA(nullptr, FALSE, FALSE, nullptr)), answered_(CreateEventA(nullptr, FALSE, FALSE, nullptr)) {
        if (asked_ && answered_) thread_ = CreateThread(nullptr, 0, &FirstEntryReader::Run, this, 0, nullptr);
    }
    ~FirstEntryReader() {
        if (thread_) {
            pattern_ = nullptr;  // asks the thread to end
            SetEvent(asked_);
            WaitForSingleObject(thread_, 1000);
            CloseHandle(thread_);
        }
        if (asked_) CloseHandle(asked_);
        if (answered_) CloseHandle(answered_);
    }
    FirstEntryReader(const FirstEntryReader&) = delete;
    FirstEntryReader& operator=(const FirstEntryReader&) = delete;

    // Free to take a look: running, and not waiting for one (a handler run while waiting may
    // look at a folder too, and then looks itself).
    bool Free() const { return thread_ && !busy_; }

    HANDLE FindFirst(const std::wstring& pattern, WIN32_FIND_DATAW& entry, const std::function<void()>& whileWaiting) {
        busy_ = true;
        pattern_ = &pattern;
        entry_ = &entry;
        SetEvent(asked_);
        // The thread writes `entry` until it answers, so it is always waited for. A folder of
        // usual size answers at once; messages are handled only while a large one is read, so
        // that a scan's start does not wait for the window's repainting.
        if (WaitForSingleObject(answered_, kUnpumpedMs) != WAIT_OBJECT_0) {
            while (MsgWaitForMultipleObjects(1, &answered_, FALSE, INFINITE, QS_ALLINPUT) != WAIT_OBJECT_0)
                whileWaiting();
        }
        busy_ = false;
        SetLastError(error_);
        return found_;
    }

private:
    static DWORD WINAPI Run(void* self) {
        auto& reader = *static_cast<FirstEntryReader*>(self);
        for (;;) {
            WaitForSingleObject(reader.asked_, INFINITE);
            if (!reader.pattern_) return 0;
            reader.found_ = FindFirstFileW(reader.pattern_->c_str(), reader.entry_);
            reader.error_ = GetLastError();
            SetEvent(reader.answered_);
        }
    }

    HANDLE asked_, answered_;
    HANDLE thread_ = nullptr;
    const std::wstring* pattern_ = nullptr;
    WIN32_FIND_DATAW* entry_ = nullptr;
    HANDLE found_ = INVALID_HANDLE_VALUE;
    DWORD error_ = 0;
    bool busy_ = false;
};

FirstEntryReader& Reader() {
    static FirstEntryReader reader;
    return reader;
}

}  // namespace

void StartDirectoryReader() { Reader(); }

HANDLE FindFirstEntry(const std::wstring& pattern, WIN32_FIND_DATAW& entry, const std::function<void()>& whileWaiting) {
    const std::wstring extended = ExtendedLengthPath(pattern);
    // Looks are made from the user-interface thread alone, one at a time.
    if (!whileWaiting || !Reader().Free()) return FindFirstFileW(extended.c_str(), &entry);
    return Reader().FindFirst(extended, entry, whileWaiting);
}
