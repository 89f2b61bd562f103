#include "engine/report/CV_FindText.h"

#include "engine/report/CV_Pages.h"
#include "platform/emf/EmfRecords.h"

namespace tessaly {

namespace {

void FoldAToZ(AnsiString& s) {
    for (char& c : s)
        if (c >= 'a' && c <= 'z') c = char(c - ('a' - 'A'));
}

// One cp1252 character of a record, folded when asked; 0 for a control character, which the text
// leaves out. Only "a" to "z" are folded.
inline char TextChar(unsigned char c, bool fold) {
    if (c < 32) return 0;
    return char(fold && c >= 'a' && c <= 'z' ? c - ('a' - 'A') : c);
}

// The record's characters (16-bit units converted to the code page) through TextChar into `text`.
// False when the record is not text.
bool ExtractText(emf::RecordView record, AnsiString& text, bool fold) {
    text.clear();
    const auto string = emf::ParseExtTextOutString(record);
    if (!string || (string->options & emf::ETO_GLYPH_INDEX)) return false;
    const uint32_t chars = string->chars;
    const bool wide = string->isWide;
    const uint8_t* p = string->bytes.data();
    text.resize(chars);
    size_t n = 0;
    auto put = [&](unsigned char c) {
        if (const char t = TextChar(c, fold)) text[n++] = t;
    };
    if (!wide) {
        for (uint32_t i = 0; i < chars; ++i) put(p[i]);
    } else {
        for (uint32_t i = 0; i < chars; ++i) {
            char16_t u = char16_t(p[2 * i] | (p[2 * i + 1] << 8));
            if (u >= 0xD800 && u < 0xE000) {
                // A surrogate pair is one character the code page lacks; so is a lone surrogate.
                if (u < 0xDC00 && i + 1 < chars) {
                    const char16_t next = char16_t(p[2 * i + 2] | (p[2 * i + 3] << 8));
                    if (next >= 0xDC00 && next < 0xE000) ++i;
                }
                u = 0xFFFD;
            }
            put(u < 0x80 ? static_cast<unsigned char>(u) : static_cast<unsigned char>(UnicodeToCp1252(u)));
        }
    }
    text.resize(n);
    return true;
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

bool ReadRecordText(emf::RecordView record, AnsiString& text) { return ExtractText(record, text, false); }

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
    return ExtractText(record, text_, !query_.MatchCase) && MatchesCompared(text_);
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

namespace {

// The matches of one page, numbered on from `count`; false when `found` asked to stop.
bool ForEachMatchOnPage(const emf::Metafile& drawing, int pageIndex, TTextMatcher& matcher, int& count,
                        const std::function<bool(const TTextMatch&)>& found) {
    if (drawing.Empty()) return true;
    int64_t recordNo = 0;
    for (emf::RecordView record : drawing.Records()) {
        const uint32_t type = record.Type();
        recordNo = NextRecordNo(recordNo, pageIndex, type);
        if (matcher.Matches(record)) {
            ++count;
            if (found && !found(TTextMatch{count, pageIndex, recordNo, *emf::ParseDrawingBounds(record)})) return false;
        }
        // Records after the end-of-file record are not part of the picture.
        if (type == emf::EMR_EOF) break;
    }
    return true;
}

}  // namespace

int ForEachTextMatch(const TcvEMFPages& pages, const TTextQuery& query,
                     const std::function<bool(const TTextMatch&)>& found) {
    TTextMatcher matcher(query);
    int count = 0;
    for (int i = 0; i < pages.Count(); ++i)
        if (!ForEachMatchOnPage(pages.Pages(i).Drawing, i, matcher, count, found)) break;
    return count;
}

TTextMatchCounter::TTextMatchCounter(const TcvEMFPages& pages, TTextQuery query)
    : pages_(pages), matcher_(std::move(query)) {}

bool TTextMatchCounter::Step(int pageCount) {
    for (int n = 0; n < pageCount && !Done(); ++n, ++pagesRead_)
        ForEachMatchOnPage(pages_.Pages(pagesRead_).Drawing, pagesRead_, matcher_, count_, nullptr);
    return Done();
}

bool TTextMatchCounter::Done() const { return pagesRead_ >= pages_.Count(); }

}  // namespace tessaly
