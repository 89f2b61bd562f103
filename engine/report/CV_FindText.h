#pragma once
// What a text search calls a match, in one place for the preview's find command and for
// tessaly-cli find, so that the two can never disagree.
//
// A record's text is the string of an EMR_EXTTEXTOUTA or EMR_EXTTEXTOUTW record in cp1252 (16-bit
// units converted, characters the code page lacks becoming "?"), without the characters below 32.
// A record is a match when the first occurrence of the search text in its text passes the
// whole-word test (when whole words are asked for); later occurrences are never looked at, so a
// text occurring twice in one record is one match.
#include <cstdint>
#include <functional>
#include <string_view>

#include "platform/core/Cp1252.h"
#include "platform/emf/EmfTypes.h"

namespace tessaly {

class TcvEMFPages;

// The characters that end a word for the whole-word test: space ! " ' ( ) . : ; ? [ ]
// (the comma, hyphen and slash are not among them).
bool IsWordSeparator(char c);

// The record's text, appended to `text` after clearing it. False (and `text` empty) when the record
// is not text: another type, glyph indices instead of characters, or a damaged record (one that
// emf::ParseExtTextOut refuses, which playing leaves out as well: shorter than its 76-byte fixed
// part, or a character count, string offset or advances offset reaching outside the record).
bool ReadRecordText(emf::RecordView record, AnsiString& text);

struct TTextQuery {
    AnsiString Text;         // cp1252
    bool MatchCase = false;  // otherwise only "a" to "z" are folded to capitals
    bool PartOfWord = true;  // otherwise the occurrence must stand between separators
    friend bool operator==(const TTextQuery&, const TTextQuery&) = default;
};

class TTextMatcher {
public:
    explicit TTextMatcher(TTextQuery query);

    const TTextQuery& Query() const { return query_; }
    // Whether a record's text (already without control characters) is a match.
    bool MatchesText(std::string_view text) const;
    // Whether the record is a text record and a match.
    bool Matches(emf::RecordView record);

private:
    bool MatchesCompared(std::string_view text) const;  // `text` folded like the search text

    TTextQuery query_;
    AnsiString search_;  // the search text as compared (folded unless MatchCase)
    AnsiString text_;    // the record being looked at, reused between records
};

// Record numbers as the preview counts them: the header record of page i is i x 10000, every
// further record one more.
inline int64_t NextRecordNo(int64_t recordNo, int pageIndex, uint32_t recordType) {
    return recordType == emf::EMR_HEADER ? int64_t(pageIndex) * 10000 : recordNo + 1;
}

struct TTextMatch {
    int Ordinal = 0;  // 1 for the report's first match
    int PageIndex = 0;
    int64_t RecordNo = 0;
    emf::RectL Bounds;  // as stored in the record
};

// Hands every match of the report, in page and record order, to `found`; stops early when it
// answers false. Returns the number of matches handed over.
int ForEachTextMatch(const TcvEMFPages& pages, const TTextQuery& query,
                     const std::function<bool(const TTextMatch&)>& found);

// Counts the matches of a report a few pages at a time, so that a window can count a long report
// between its events and stay responsive. It reads the pages as they are at each step: whoever
// changes them starts a new count.
class TTextMatchCounter {
public:
    TTextMatchCounter(const TcvEMFPages& pages, TTextQuery query);

    const TTextQuery& Query() const { return matcher_.Query(); }
    // Reads up to `pageCount` further pages; true once every page has been read.
    bool Step(int pageCount);
    bool Done() const;
    int PagesRead() const { return pagesRead_; }
    int Count() const { return count_; }

private:
    const TcvEMFPages& pages_;
    TTextMatcher matcher_;
    int pagesRead_ = 0;
    int count_ = 0;
};

}  // namespace tessaly
