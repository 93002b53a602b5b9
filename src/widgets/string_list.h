#pragma once
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

// An ordered list of strings (system code page) that reports every change of its contents.
class TStringList {
public:
    TStringList() = default;
    TStringList(std::initializer_list<std::string> strings) : strings_(strings) {}
    // Contents only: a copy never shares the change report.
    TStringList(const TStringList& other) : strings_(other.strings_) {}
    TStringList& operator=(const TStringList&) = delete;

    int Count() const { return static_cast<int>(strings_.size()); }
    bool Empty() const { return strings_.empty(); }
    const std::string& Strings(int index) const;  // EListError outside the list
    const std::vector<std::string>& List() const { return strings_; }

    void Add(const std::string& text);
    void Insert(int index, const std::string& text);
    void Delete(int index);
    void Clear();
    // Takes the other list's contents; one change report.
    void Assign(const TStringList& other);
    // Index of the first entry equal to `text` regardless of case, by the user's locale; -1 if none.
    int IndexOf(const std::string& text) const;
    bool Contains(const std::string& text) const { return IndexOf(text) >= 0; }
    // The same strings in the same order, compared exactly.
    bool SameContents(const TStringList& other) const { return strings_ == other.strings_; }

    std::function<void()> OnChange;

private:
    void Changed();
    void CheckIndex(int index, int limit) const;

    std::vector<std::string> strings_;
};

// Locale-aware comparison without regard to case (the user's locale, as the system sorts names).
int CompareTextLocale(const std::string& a, const std::string& b);
bool SameTextLocale(const std::string& a, const std::string& b);
