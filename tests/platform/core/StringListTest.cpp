#include <gtest/gtest.h>

#include "platform/core/Errors.h"
#include "platform/core/Stream.h"
#include "platform/core/StringList.h"

using namespace tessaly;

namespace {
MemoryStream Bytes(std::initializer_list<int> bytes) {
    std::vector<uint8_t> v;
    for (int b : bytes) v.push_back(static_cast<uint8_t>(b));
    return MemoryStream(std::move(v));
}
}  // namespace

TEST(StringList, FindsCaseInsensitivelyAndKeepsObjects) {
    StringList l;
    int x = 0, y = 0;
    l.AddObject("Clienti", &x);
    l.AddObject("ordini", &y);
    EXPECT_EQ(l.IndexOf("CLIENTI"), 0);
    EXPECT_EQ(l.IndexOf("Ordini"), 1);
    EXPECT_EQ(l.IndexOf("fatture"), -1);
    EXPECT_EQ(l.Objects(1), &y);
    EXPECT_EQ(l.IndexOfObject(&x), 0);
    EXPECT_THROW(l[2], EListError);
    EXPECT_THROW(l.Delete(-1), EListError);
}

TEST(StringList, SortedListInsertsInOrderAndIgnoresDuplicates) {
    StringList l;
    l.SetSorted(true);
    l.Add("b");
    l.Add("C");
    l.Add("a");
    EXPECT_EQ(l.Add("B"), 1);  // duplicate, ignored
    ASSERT_EQ(l.Count(), 3);
    EXPECT_EQ(l[0], "a");
    EXPECT_EQ(l[2], "C");
    int i;
    EXPECT_TRUE(l.Find("c", i));
    EXPECT_EQ(i, 2);
    EXPECT_FALSE(l.Find("bb", i));
    EXPECT_EQ(i, 2);
    l.SetDuplicates(StringList::Duplicates::Error);
    EXPECT_THROW(l.Add("A"), EngineError);
}

TEST(StringList, TextSplitsAtAnyLineBreak) {
    StringList l;
    l.SetText("a\r\nb\nc\r\r\n");
    ASSERT_EQ(l.Count(), 4);
    EXPECT_EQ(l[2], "c");
    EXPECT_EQ(l[3], "");
    EXPECT_EQ(l.Text(), "a\r\nb\r\nc\r\n\r\n");
}

TEST(StringListStream, CountedFormRoundTripsZeroBytesAndTruncatesAt1024) {
    StringList l;
    l.Add(std::string("a\0b", 3));
    l.Add("");
    l.Add(std::string(2000, 'x'));
    MemoryStream m;
    WriteCountedStrings(m, l);
    EXPECT_EQ(m.Size(), 2 + (2 + 3) + 2 + (2 + 1024));
    m.SetPosition(0);
    StringList r;
    r.Add("stale");
    ReadCountedStrings(m, r);
    ASSERT_EQ(r.Count(), 3);
    EXPECT_EQ(r[0], std::string("a\0b", 3));
    EXPECT_EQ(r[1], "");
    EXPECT_EQ(r[2].size(), 1024u);
}

TEST(StringListStream, CountedFormWritesAtMost65535Strings) {
    StringList l;
    for (int i = 0; i < 65536; ++i) l.Add("");
    MemoryStream m;
    WriteCountedStrings(m, l);
    m.SetPosition(0);
    EXPECT_EQ(m.ReadU16(), 65535);
}

TEST(StringListStream, CountedFormRejectsCountsTheStreamCannotHold) {
    StringList r;
    auto big = Bytes({0xFF, 0xFF, 0, 0});  // 65535 strings in two bytes
    EXPECT_THROW(ReadCountedStrings(big, r), EReadError);
    EXPECT_EQ(big.Position(), 2);  // failed at once, before reading strings
    auto longString = Bytes({1, 0, 0xFF, 0x7F, 'a'});
    EXPECT_THROW(ReadCountedStrings(longString, r), EReadError);
    auto empty = Bytes({0, 0});
    ReadCountedStrings(empty, r);
    EXPECT_EQ(r.Count(), 0);
}

TEST(StringListStream, TerminatedFormFollowsCarriageReturnsAndTheZeroByte) {
    StringList r;
    auto m = Bytes({'a', '\r', '\r', 'b', '\n', 'c', 0, 'z'});
    ReadTerminatedStrings(m, r);
    ASSERT_EQ(r.Count(), 3);
    EXPECT_EQ(r[0], "a");
    EXPECT_EQ(r[1], "");  // CR appends even an empty string
    EXPECT_EQ(r[2], "b\nc");
    EXPECT_EQ(m.Position(), 7);

    auto endsWithCr = Bytes({'x', '\r', 0});
    ReadTerminatedStrings(endsWithCr, r);
    ASSERT_EQ(r.Count(), 1);  // the empty current string at the zero byte is not appended

    std::vector<uint8_t> longOne(300, 'y');
    longOne.push_back(0);
    MemoryStream lm(longOne);
    ReadTerminatedStrings(lm, r);
    EXPECT_EQ(r[0].size(), 255u);

    auto unterminated = Bytes({'a', 'b'});
    EXPECT_THROW(ReadTerminatedStrings(unterminated, r), EReadError);
}
