#include <gtest/gtest.h>

#include <cmath>
#include <ctime>

#include "platform/core/DateTime.h"
#include "platform/core/Errors.h"
#include "platform/text/DateFormat.h"

using namespace tessaly;

namespace {

const FormatSettings kItalian = FormatSettings::Italian();
const double kNov5 = 36104;  // 5 November 1998, a Thursday
const double kNov5At024335 = kNov5 + EncodeTime(2, 43, 35, 0);
const double kNov5At140507 = kNov5 + EncodeTime(14, 5, 7, 30);

}  // namespace

TEST(DateFormat, PicturesWriteDaysMonthsYearsAndNames) {
    struct Case { const char* picture; double v; const char* text; };
    const Case cases[] = {
        {"dddd d mmmm yyyy", kNov5, "gioved\xEC 5 novembre 1998"},
        {"dd/mm/yy", kNov5, "05/11/98"},
        {"dd/mm/yyyy", kNov5, "05/11/1998"},
        {"d mmm yyyy", kNov5, "5 nov 1998"},
        {"ddd d m", kNov5 + 3, "dom 8 11"},
        {"DD/MM/YYYY", kNov5, "05/11/1998"},
        {"ddddd", kNov5, "05/11/1998"},
        {"dddddd", kNov5, "gioved\xEC 5 novembre 1998"},
        {"yy", EncodeDate(2005, 1, 9), "05"},
        {"yyyy", EncodeDate(5, 1, 9), "0005"},
        {"hh:nn:ss", kNov5At024335, "02:43:35"},
        {"h:nn:ss", kNov5At024335, "2:43:35"},
        {"hh:nn", kNov5At024335, "02:43"},
        {"h:nn", kNov5At024335, "2:43"},
        {"h:mm", kNov5At024335, "2:43"},
        {"hh:mm:ss", kNov5At024335, "02:43:35"},
        {"h m", kNov5At024335, "2 43"},
        {"mm/yyyy hh", kNov5At024335, "11/1998 02"},
        {"hh:nn:ss.zzz", kNov5At140507, "14:05:07.030"},
        {"h:nn am/pm", kNov5At140507, "2:05 pm"},
        {"h:nn AM/PM", kNov5At024335, "2:43 AM"},
        {"h a/p", kNov5 + 0.5, "12 p"},
        {"hh ampm", kNov5, "12 AM"},
        {"'giorno' d", kNov5, "giorno 5"},
        {"\"d\" d", kNov5, "d 5"},
        {"d 'unclosed", kNov5, "5 unclosed"},
        {"c", kNov5, "05/11/1998"},
        {"c", kNov5At024335, "05/11/1998 02:43:35"},
        {"c", 0.5, "12:00:00"},
        {"c", 0, "30/12/1899"},
        {"", kNov5, "05/11/1998"},
        {"t", kNov5At024335, "02:43"},
        {"tt", kNov5At024335, "02:43:35"},
        {"dd/mm/yyyy hh:nn", -1.25, "29/12/1899 06:00"},
        {"x-d", kNov5, "x-5"},
    };
    for (const Case& c : cases) EXPECT_EQ(FormatDateTime(c.picture, c.v, kItalian), c.text) << c.picture;
}

TEST(DateFormat, SlashAndColonAreTheLocaleSeparators) {
    FormatSettings fs = kItalian;
    fs.DateSeparator = '.';
    fs.TimeSeparator = '.';
    EXPECT_EQ(FormatDateTime("dd/mm/yyyy hh:nn", kNov5At024335, fs), "05.11.1998 02.43");
    EXPECT_EQ(FormatDateTime("dd'/'mm", kNov5, fs), "05/11");
}

TEST(DateFormat, SettingsThatNameThemselvesDoNotRecurseForever) {
    FormatSettings fs = kItalian;
    fs.ShortDateFormat = "c ddddd";
    fs.LongTimeFormat = "tt";
    EXPECT_NO_THROW(FormatDateTime("c", kNov5At024335, fs));
}

TEST(DateFormat, ValuesOutsideTheCalendarFail) {
    EXPECT_THROW(FormatDateTime("dd", 1e7, kItalian), EConvertError);
    EXPECT_THROW(FormatDateTime("dd", NAN, kItalian), EConvertError);
    EXPECT_THROW(DateTimeToText(-1e7, kItalian), EConvertError);
}

TEST(DateFormat, TextToDateFollowsTheShortDateOrder) {
    struct Case { const char* text; int y, m, d; };
    for (Case c : {Case{"05/11/1998", 1998, 11, 5}, {"5/11/98", 1998, 11, 5}, {" 5/11/49 ", 2049, 11, 5},
                   {"5/11/50", 1950, 11, 5}, {"29/02/2000", 2000, 2, 29}, {"1/1/0001", 1, 1, 1}}) {
        double v = 0;
        EXPECT_TRUE(TryTextToDate(c.text, v, kItalian)) << c.text;
        EXPECT_EQ(v, EncodeDate(c.y, c.m, c.d)) << c.text;
    }
    for (const char* bad : {"", "5", "31/02/1998", "29/02/1900", "5-11-1998", "05/11/1998x", "05/11/1998 10:00",
                            "13/13/1998", "0/1/1998", "a/b/c", "5//1998", "05/11/19980"}) {
        double v = 0;
        EXPECT_FALSE(TryTextToDate(bad, v, kItalian)) << bad;
    }
    std::time_t now = std::time(nullptr);
    std::tm tm{};
    localtime_r(&now, &tm);
    EXPECT_EQ(TextToDate("5/11", kItalian), EncodeDate(tm.tm_year + 1900, 11, 5));

    FormatSettings us = kItalian;
    us.ShortDateFormat = "m/d/yyyy";
    EXPECT_EQ(TextToDate("11/5/1998", us), kNov5);
    FormatSettings iso = kItalian;
    iso.ShortDateFormat = "yyyy/mm/dd";
    iso.DateSeparator = '-';
    EXPECT_EQ(TextToDate("1998-11-05", iso), kNov5);
    try {
        TextToDate("31/02/1998", kItalian);
        FAIL();
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), "'31/02/1998' non \xE8 una data valida");
    }
}

TEST(DateFormat, TextToTimeReadsHoursMinutesSecondsAndMarkers) {
    struct Case { const char* text; int h, n, s, ms; };
    for (Case c : {Case{"14:30", 14, 30, 0, 0}, {"2:43:35", 2, 43, 35, 0}, {" 0:00 ", 0, 0, 0, 0},
                   {"14:30:00.5", 14, 30, 0, 500}, {"2:30 PM", 14, 30, 0, 0}, {"12:00 am", 0, 0, 0, 0},
                   {"12:15 pm", 12, 15, 0, 0}, {"10 p", 22, 0, 0, 0}, {"23:59:59", 23, 59, 59, 0}}) {
        double v = -1;
        EXPECT_TRUE(TryTextToTime(c.text, v, kItalian)) << c.text;
        EXPECT_DOUBLE_EQ(v, EncodeTime(c.h, c.n, c.s, c.ms)) << c.text;
    }
    for (const char* bad : {"", "10", "25:00", "12:60", "1:2:3:4", "13:00 pm", "0:30 am", "10:00 xm", "10:",
                            ":30", "10:00 pm x", "123:00"}) {
        double v = 0;
        EXPECT_FALSE(TryTextToTime(bad, v, kItalian)) << bad;
    }
    EXPECT_THROW(TextToTime("25:00", kItalian), EConvertError);
}

TEST(DateFormat, TextToDateTimeTakesADateATimeOrBoth) {
    EXPECT_DOUBLE_EQ(TextToDateTime("05/11/1998 14:05", kItalian), kNov5 + EncodeTime(14, 5, 0, 0));
    EXPECT_DOUBLE_EQ(TextToDateTime("05/11/1998", kItalian), kNov5);
    EXPECT_DOUBLE_EQ(TextToDateTime("14:05", kItalian), EncodeTime(14, 5, 0, 0));
    EXPECT_THROW(TextToDateTime("05/11/1998 25:00", kItalian), EConvertError);
    EXPECT_THROW(TextToDateTime("05/11/1998x14:05", kItalian), EConvertError);
    EXPECT_THROW(TextToDateTime("ieri", kItalian), EConvertError);
}
