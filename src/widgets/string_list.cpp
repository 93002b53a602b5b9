#include "widgets/string_list.h"

#include <windows.h>

#include "widgets/exception.h"

int CompareTextLocale(const std::string& a, const std::string& b) {
    // Lengths are passed so that embedded zero bytes cannot cut a comparison short.
    int result = CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.data(), static_cast<int>(a.size()),
                                b.data(), static_cast<int>(b.size()));
    if (result == 0) return a.compare(b) < 0 ? -1 : (a == b ? 0 : 1);  // the call failed: order by bytes
    return result - CSTR_EQUAL;
}

bool SameTextLocale(const std::string& a, const std::string& b) { return CompareTextLocale(a, b) == 0; }

const std::string& TStringList::Strings(int index) const {
    CheckIndex(index, Count() - 1);
    return strings_[index];
}

void TStringList::CheckIndex(int index, int limit) const {
    if (index < 0 || index > limit) throw EListError("List index out of bounds (" + std::to_string(index) + ")");
}

void TStringList::Changed() {
    if (OnChange) OnChange();
}

void TStringList::Add(const std::string& text) {
    strings_.push_back(text);
    Changed();
}

void TStringList::Insert(int index, const std::string& text) {
    CheckIndex(index, Count());
    strings_.insert(strings_.begin() + index, text);
    Changed();
}

void TStringList::Delete(int index) {
    CheckIndex(index, Count() - 1);
    strings_.erase(strings_.begin() + index);
    Changed();
}

void TStringList::Clear() {
    if (strings_.empty()) return;
    strings_.clear();
    Changed();
}

void TStringList::Assign(const TStringList& other) {
    if (&other == this) return;
    strings_ = other.strings_;
    Changed();
}

int TStringList::IndexOf(const std::string& text) const {
    for (size_t i = 0; i < strings_.size(); ++i) {
        if (SameTextLocale(strings_[i], text)) return static_cast<int>(i);
    }
    return -1;
}
