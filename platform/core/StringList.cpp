#include "platform/core/StringList.h"

#include <algorithm>

#include "platform/core/Cp1252.h"
#include "platform/core/Errors.h"
#include "platform/core/Stream.h"

namespace tessaly {

size_t StringList::Check(int index) const {
    if (index < 0 || index >= Count()) throw EListError(index);
    return static_cast<size_t>(index);
}

void StringList::SetString(int index, std::string text) {
    size_t i = Check(index);
    if (!sorted_) {
        items_[i].text = std::move(text);
        return;
    }
    void* object = items_[i].object;
    Delete(index);
    AddObject(std::move(text), object);
}

int StringList::AddObject(std::string text, void* object) {
    if (!sorted_) {
        items_.push_back({std::move(text), object});
        return Count() - 1;
    }
    int index;
    if (Find(text, index)) {
        if (duplicates_ == Duplicates::Ignore) return index;
        if (duplicates_ == Duplicates::Error) throw EngineError("String list does not allow duplicates");
    }
    items_.insert(items_.begin() + index, {std::move(text), object});
    return index;
}

void StringList::Insert(int index, std::string text, void* object) {
    if (sorted_) throw EngineError("Operation not allowed on sorted string list");
    if (index < 0 || index > Count()) throw EListError(index);
    items_.insert(items_.begin() + index, {std::move(text), object});
}

void StringList::Delete(int index) { items_.erase(items_.begin() + static_cast<long>(Check(index))); }

int StringList::IndexOf(std::string_view text) const {
    if (sorted_) {
        int index;
        return Find(text, index) ? index : -1;
    }
    for (int i = 0; i < Count(); ++i)
        if (SameText(items_[i].text, text)) return i;
    return -1;
}

int StringList::IndexOfObject(const void* object) const {
    for (int i = 0; i < Count(); ++i)
        if (items_[i].object == object) return i;
    return -1;
}

bool StringList::Find(std::string_view text, int& index) const {
    if (!sorted_) {
        for (int i = 0; i < Count(); ++i)
            if (SameText(items_[i].text, text)) return index = i, true;
        index = Count();
        return false;
    }
    // First position whose string is not less than text: the first of equal strings.
    int lo = 0, hi = Count();
    while (lo < hi) {
        int mid = (lo + hi) / 2;
        if (CompareText(items_[mid].text, text) < 0)
            lo = mid + 1;
        else
            hi = mid;
    }
    index = lo;
    return lo < Count() && CompareText(items_[lo].text, text) == 0;
}

void StringList::SetSorted(bool sorted) {
    if (sorted && !sorted_) {
        sorted_ = true;
        Sort();
    }
    sorted_ = sorted;
}

void StringList::Sort() {
    std::stable_sort(items_.begin(), items_.end(),
                     [](const Item& a, const Item& b) { return CompareText(a.text, b.text) < 0; });
}

std::string StringList::Text() const {
    std::string out;
    for (const Item& item : items_) {
        out += item.text;
        out += "\r\n";
    }
    return out;
}

void StringList::SetText(std::string_view text) {
    Clear();
    size_t i = 0;
    while (i < text.size()) {
        size_t start = i;
        while (i < text.size() && text[i] != '\r' && text[i] != '\n') ++i;
        Add(std::string(text.substr(start, i - start)));
        if (i < text.size() && text[i] == '\r') ++i;
        if (i < text.size() && text[i] == '\n') ++i;
    }
}

void WriteCountedStrings(Stream& stream, const StringList& list, size_t maxLength) {
    uint16_t count = static_cast<uint16_t>(std::min(list.Count(), 65535));
    stream.WriteU16(count);
    for (int i = 0; i < count; ++i) {
        const std::string& s = list[i];
        uint16_t length = static_cast<uint16_t>(std::min<size_t>({s.size(), maxLength, 65535}));
        stream.WriteU16(length);
        stream.WriteBuffer(s.data(), length);
    }
}

void ReadCountedStrings(Stream& stream, StringList& list) {
    list.Clear();
    uint16_t count = stream.ReadU16();
    // Every string needs at least its two length bytes.
    if (stream.Remaining() < int64_t(count) * 2) throw EReadError();
    for (int i = 0; i < count; ++i) {
        uint16_t length = stream.ReadU16();
        list.Add(stream.ReadBytes(length));
    }
}

void ReadTerminatedStrings(Stream& stream, StringList& list) {
    list.Clear();
    std::string current;
    for (;;) {
        char c = static_cast<char>(stream.ReadU8());
        if (c == 0) {
            if (!current.empty()) list.Add(std::move(current));
            return;
        }
        if (c == '\r') {
            list.Add(std::move(current));
            current.clear();
        } else if (current.size() < 255) {
            current += c;
        }
    }
}

}  // namespace tessaly
