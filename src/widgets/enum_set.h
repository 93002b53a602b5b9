#pragma once
#include <cstdint>
#include <initializer_list>

// A set of the first `Count` members of the enumeration `E`, member n at bit n of a `Word`:
// the layout the design gives its sets, so Bits/FromBits read and write it directly.
template <class E, class Word, int Count>
class TEnumSet {
public:
    constexpr TEnumSet() = default;
    constexpr TEnumSet(E member) : bits_(Bit(member)) {}
    constexpr TEnumSet(std::initializer_list<E> members) {
        for (E m : members) bits_ |= Bit(m);
    }
    // Bits above the last member are dropped.
    static constexpr TEnumSet FromBits(Word bits) {
        TEnumSet set;
        set.bits_ = static_cast<Word>(bits & kAllBits);
        return set;
    }

    constexpr Word Bits() const { return bits_; }
    constexpr bool empty() const { return bits_ == 0; }
    constexpr bool contains(E member) const { return (bits_ & Bit(member)) != 0; }

    friend constexpr TEnumSet operator+(TEnumSet a, TEnumSet b) { return FromBits(a.bits_ | b.bits_); }
    friend constexpr TEnumSet operator-(TEnumSet a, TEnumSet b) { return FromBits(a.bits_ & ~b.bits_); }
    friend constexpr TEnumSet operator*(TEnumSet a, TEnumSet b) { return FromBits(a.bits_ & b.bits_); }
    friend constexpr bool operator==(TEnumSet a, TEnumSet b) = default;

private:
    static constexpr Word kAllBits = static_cast<Word>((1u << Count) - 1);
    static constexpr Word Bit(E member) { return static_cast<Word>(1u << member); }
    Word bits_ = 0;
};
