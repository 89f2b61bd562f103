#include "engine/CV_FindText.h"

#include "engine/CV_Pages.h"

namespace tessaly {

namespace {

// Offsets of the EXTTEXTOUT record: the character count, the string's offset (from the record's
// start) and the options; the fixed part ends at 76.
constexpr uint32_t kCharsAt = 44, kStringAt = 48, kOptionsAt = 52, kFixedPart = 76;

void FoldAToZ(AnsiString& s) {
    for (char& c : s)
        if (c >= 'a' && c <= 'z') c = char(c - ('a' - 'A'));
}

void AppendWide(std::span<const uint8_t> units, AnsiString& text) {
    const size_t n = units.size() / 2;
    for (size_t i = 0; i < n; ++i) {
        char16_t u = char16_t(units[2 * i] | (units[2 * i + 1] << 8));
        if (u >= 0xD800 && u < 0xE000) {
            // A surrogate pair is one character the code page lacks; so is a lone surrogate.
            if (u < 0xDC00 && i + 1 < n) {
                const char16_t next = char16_t(units[2 * i + 2] | (units[2 * i + 3] << 8));
                if (next >= 0xDC00 && next < 0xE000) ++i;
            }
            u = 0xFFFD;
        }
        const char c = UnicodeToCp1252(u);
        if (static_cast<unsigned char>(c) >= 32) text += c;
    }
}

}  // namespace

bool IsWordSeparator(char c) {
    switch (c) {
    case ' ': case '!': case '"': case '\'': case '(': case ')':
    case '.': case ':': case ';': case '?': case '[': case ']':
        return true;
    default:
        return false;
    }
}

bool ReadRecordText(emf::RecordView record, AnsiString& text) {
    text.clear();
    const uint32_t type = record.Type();
    if ((type != emf::EMR_EXTTEXTOUTA && type != emf::EMR_EXTTEXTOUTW) || record.Size() < kFixedPart) return false;
    const uint32_t chars = *record.U32(kCharsAt), offset = *record.U32(kStringAt);
    if (*record.U32(kOptionsAt) & emf::ETO_GLYPH_INDEX) return false;
    const uint64_t unit = type == emf::EMR_EXTTEXTOUTW ? 2 : 1;
    if (!record.Has(offset, uint64_t(chars) * unit)) return false;
    const std::span<const uint8_t> string = record.Bytes().subspan(offset, size_t(chars * unit));
    text.reserve(chars);
    if (unit == 2) {
        AppendWide(string, text);
    } else {
        for (uint8_t c : string)
            if (c >= 32) text += char(c);
    }
    return true;
}

TTextMatcher::TTextMatcher(TTextQuery query) : query_(std::move(query)), search_(query_.Text) {
    if (!query_.MatchCase) FoldAToZ(search_);
}

bool TTextMatcher::MatchesText(std::string_view text) const {
    if (query_.MatchCase) return MatchesCompared(text);
    AnsiString folded(text);
    FoldAToZ(folded);
    return MatchesCompared(folded);
}

bool TTextMatcher::Matches(emf::RecordView record) {
    if (!ReadRecordText(record, text_)) return false;
    if (!query_.MatchCase) FoldAToZ(text_);
    return MatchesCompared(text_);
}

// The first occurrence only; with whole words, the characters around it must be separators (or
// the text's ends), unless the text is the search text itself.
bool TTextMatcher::MatchesCompared(std::string_view text) const {
    if (search_.empty()) return false;
    const size_t at = text.find(search_);
    if (at == std::string_view::npos) return false;
    if (query_.PartOfWord || text == search_) return true;
    if (at > 0 && !IsWordSeparator(text[at - 1])) return false;
    const size_t end = at + search_.size();
    return end == text.size() || IsWordSeparator(text[end]);
}

int ForEachTextMatch(const TcvEMFPages& pages, const TTextQuery& query,
                     const std::function<bool(const TTextMatch&)>& found) {
    TTextMatcher matcher(query);
    int count = 0;
    for (int i = 0; i < pages.Count(); ++i) {
        const emf::Metafile& drawing = pages.Pages(i).Drawing;
        if (drawing.Empty()) continue;
        int64_t recordNo = 0;
        for (emf::RecordView record : drawing.Records()) {
            const uint32_t type = record.Type();
            recordNo = NextRecordNo(recordNo, i, type);
            if (matcher.Matches(record)) {
                const TTextMatch match{++count, i, recordNo, *record.RectAt(8)};
                if (!found(match)) return count;
            }
            // Records after the end-of-file record are not part of the picture.
            if (type == emf::EMR_EOF) break;
        }
    }
    return count;
}

}  // namespace tessaly
