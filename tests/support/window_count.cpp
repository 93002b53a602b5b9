#include "support/window_count.h"

#include <windows.h>

namespace {

BOOL CALLBACK CountOne(HWND, LPARAM count) {
    ++*reinterpret_cast<int*>(count);
    return TRUE;
}

BOOL CALLBACK CountTopLevelAndChildren(HWND window, LPARAM count) {
    ++*reinterpret_cast<int*>(count);
    EnumChildWindows(window, CountOne, count);  // every descendant, not only direct children
    return TRUE;
}

}  // namespace

int CountThreadWindows() {
    int count = 0;
    EnumThreadWindows(GetCurrentThreadId(), CountTopLevelAndChildren, reinterpret_cast<LPARAM>(&count));
    return count;
}
