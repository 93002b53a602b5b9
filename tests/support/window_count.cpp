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

namespace {

// Wine's entry of the GDI handle table (24 bytes; Windows' 32-bit one differs).
#pragma pack(push, 1)
struct GdiHandleEntry {
    UINT64 Object;
    ULONG Owner;
    USHORT Unique;  // the handle's upper word: its type and a reuse count
    UCHAR Type;     // 0 for a free entry
    UCHAR Flags;
    UINT64 UserPointer;
};
#pragma pack(pop)
static_assert(sizeof(GdiHandleEntry) == 24);
constexpr int kGdiTableEntries = 0x10000;

const GdiHandleEntry* GdiHandleTable() {
    // TEB+0x30 is the process environment block; PEB+0x94 its GdiSharedHandleTable (32-bit).
    auto* teb = reinterpret_cast<const BYTE*>(NtCurrentTeb());
    auto* peb = *reinterpret_cast<const BYTE* const*>(teb + 0x30);
    return *reinterpret_cast<const GdiHandleEntry* const*>(peb + 0x94);
}

// The entry of a live object must carry its handle's upper word.
bool TableDescribes(const GdiHandleEntry* table, HGDIOBJ object) {
    const auto value = static_cast<ULONG>(reinterpret_cast<UINT_PTR>(object));
    const GdiHandleEntry& entry = table[value & 0xFFFF];
    return entry.Type != 0 && entry.Unique == (value >> 16);
}

}  // namespace

int CountProcessGdiObjects() {
    const GdiHandleEntry* table = GdiHandleTable();
    if (!table) return -1;
    HBRUSH probe = CreateSolidBrush(RGB(1, 2, 3));
    const bool known = TableDescribes(table, probe);
    DeleteObject(probe);
    if (!known) return -1;
    int count = 0;
    for (int i = 0; i < kGdiTableEntries; ++i)
        if (table[i].Type != 0) ++count;
    return count;
}
