#pragma once
#include <algorithm>
#include <cstddef>
#include <cstring>
#include <new>
#include <vector>

// Freed objects of a quarantined type keep their memory, filled with a pattern and never
// reused: a read through a stale pointer finds pointers that fault, and a write shows in
// QuarantineIntact(). Use-after-free becomes a certain failure instead of a silent one.
constexpr unsigned char kQuarantineFill = 0xA5;

struct QuarantinedBlock {
    unsigned char* bytes;
    size_t size;
};

inline std::vector<QuarantinedBlock>& QuarantinedBlocks() {
    static std::vector<QuarantinedBlock> blocks;
    return blocks;
}

inline void QuarantineFree(void* p, size_t size) {
    if (!p) return;
    std::memset(p, kQuarantineFill, size);
    QuarantinedBlocks().push_back({static_cast<unsigned char*>(p), size});
}

// No freed object of a quarantined type was written to since it was freed.
inline bool QuarantineIntact() {
    for (const QuarantinedBlock& block : QuarantinedBlocks())
        if (!std::all_of(block.bytes, block.bytes + block.size, [](unsigned char b) { return b == kQuarantineFill; }))
            return false;
    return true;
}

template <class T>
class Quarantined : public T {
public:
    using T::T;
    static void* operator new(size_t size) { return ::operator new(size); }
    static void operator delete(void* p, size_t size) { QuarantineFree(p, size); }
};
