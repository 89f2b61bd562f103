#pragma once
// An ordered list of cp1252 strings, each with an attached object pointer that the list does not
// own. Lookups ignore the case of "a" to "z". A sorted list keeps its strings in order and finds
// them by binary search.
#include <string>
#include <string_view>
#include <vector>

namespace tessaly {

class Stream;

class StringList {
public:
    enum class Duplicates { Accept, Ignore, Error };

    int Count() const { return static_cast<int>(items_.size()); }
    bool Empty() const { return items_.empty(); }
    // Index outside 0 .. Count() - 1 raises EListError.
    const std::string& operator[](int index) const { return items_[Check(index)].text; }
    const std::string& Strings(int index) const { return items_[Check(index)].text; }
    void SetString(int index, std::string text);
    void* Objects(int index) const { return items_[Check(index)].object; }
    void SetObject(int index, void* object) { items_[Check(index)].object = object; }

    // On a sorted list Add inserts at the sorted place and honours the duplicates rule;
    // returns the index of the string (of the existing one when a duplicate is ignored).
    int Add(std::string text) { return AddObject(std::move(text), nullptr); }
    int AddObject(std::string text, void* object);
    void Insert(int index, std::string text, void* object = nullptr);  // not on a sorted list
    void Delete(int index);
    void Clear() { items_.clear(); }

    int IndexOf(std::string_view text) const;  // -1 when absent
    int IndexOfObject(const void* object) const;
    // Sorted: binary search, index = where it is or would be. Unsorted: linear search.
    bool Find(std::string_view text, int& index) const;

    bool Sorted() const { return sorted_; }
    void SetSorted(bool sorted);
    void Sort();
    Duplicates DuplicatesRule() const { return duplicates_; }
    void SetDuplicates(Duplicates rule) { duplicates_ = rule; }

    // The strings joined by CR LF, each followed by one; SetText splits at CR, LF or CR LF.
    std::string Text() const;
    void SetText(std::string_view text);

private:
    struct Item {
        std::string text;
        void* object = nullptr;
    };
    size_t Check(int index) const;
    std::vector<Item> items_;
    bool sorted_ = false;
    Duplicates duplicates_ = Duplicates::Ignore;
};

// The two stored forms of a string list.
// Counted: a 16-bit count, then per string a 16-bit length and its bytes. The writer stores at most
// 65535 strings and at most `maxLength` bytes of each (the form holds up to 65535).
inline constexpr size_t kCountedStringLength = 1024;
void WriteCountedStrings(Stream& stream, const StringList& list, size_t maxLength = kCountedStringLength);
// Clears the list, then reads the counted form. A count or length that the rest of the stream
// cannot hold raises EReadError before anything is allocated for it.
void ReadCountedStrings(Stream& stream, StringList& list);
// Terminated (read only): CR ends a string and appends it, even when empty; a zero byte ends the
// list and appends the current string if it is not empty; at most 255 bytes are kept per string.
void ReadTerminatedStrings(Stream& stream, StringList& list);

}  // namespace tessaly
