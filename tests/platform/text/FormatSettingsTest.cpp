#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "platform/text/FormatSettings.h"

using namespace tessaly;

namespace {

// Sets locale variables for one test and puts the old values back.
class LocaleEnvironment {
public:
    LocaleEnvironment(const char* lcAll, const char* lang) {
        for (const char* var : kVars) {
            const char* v = std::getenv(var);
            saved_[Index(var)] = v ? std::optional<std::string>(v) : std::nullopt;
            unsetenv(var);
        }
        if (lcAll) setenv("LC_ALL", lcAll, 1);
        if (lang) setenv("LANG", lang, 1);
    }
    ~LocaleEnvironment() {
        for (const char* var : kVars) {
            const auto& v = saved_[Index(var)];
            if (v)
                setenv(var, v->c_str(), 1);
            else
                unsetenv(var);
        }
    }

private:
    static constexpr const char* kVars[] = {"LC_ALL", "LC_NUMERIC", "LC_TIME", "LC_MONETARY", "LANG"};
    static int Index(const char* var) {
        for (int i = 0; i < 5; ++i)
            if (std::string(kVars[i]) == var) return i;
        return 0;
    }
    std::optional<std::string> saved_[5];
};

void ExpectItalian(const FormatSettings& fs) {
    EXPECT_EQ(fs.DecimalSeparator, ',');
    EXPECT_EQ(fs.ThousandSeparator, '.');
    EXPECT_EQ(fs.DateSeparator, '/');
    EXPECT_EQ(fs.TimeSeparator, ':');
    EXPECT_EQ(fs.ShortDateFormat, "dd/mm/yyyy");
    EXPECT_EQ(fs.LongMonthNames[10], "novembre");
    EXPECT_EQ(fs.ShortMonthNames[0], "gen");
    EXPECT_EQ(fs.LongDayNames[4], "gioved\xEC");
    EXPECT_EQ(fs.ShortDayNames[0], "dom");
    EXPECT_EQ(fs.CurrencyString, "L.");
    EXPECT_EQ(fs.CurrencyDecimals, 0);
}

}  // namespace

TEST(FormatSettings, CAndPosixLocalesGiveItalianConventions) {
    for (const char* name : {"C", "POSIX", "C.UTF-8"}) {
        LocaleEnvironment env(name, nullptr);
        ExpectItalian(FormatSettings::FromLocale());
    }
    LocaleEnvironment none(nullptr, nullptr);
    ExpectItalian(FormatSettings::FromLocale());
}

TEST(FormatSettings, ALocaleTheSystemLacksFallsBackToItalian) {
    LocaleEnvironment env(nullptr, "xx_YY.UTF-8");
    ExpectItalian(FormatSettings::FromLocale());
}

TEST(FormatSettings, ScopeRestoresTheCurrentSettings) {
    const char before = CurrentFormatSettings().DecimalSeparator;
    {
        FormatSettings dot = FormatSettings::Italian();
        dot.DecimalSeparator = before == '.' ? ',' : '.';
        FormatSettingsScope scope(dot);
        EXPECT_EQ(CurrentFormatSettings().DecimalSeparator, dot.DecimalSeparator);
        {
            FormatSettingsScope inner;
            CurrentFormatSettings().NegCurrFormat = 12;
        }
        EXPECT_NE(CurrentFormatSettings().NegCurrFormat, 12);
    }
    EXPECT_EQ(CurrentFormatSettings().DecimalSeparator, before);
}

namespace {

// Compiles two real locales once into the build tree (LOCPATH), when the system has the tools.
class RealLocales : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        namespace fs = std::filesystem;
        dir_ = fs::path(TESSALY_BIN_DIR) / "test-locales";
        if (fs::exists(dir_ / "en_US.UTF-8")) {
            ready_ = true;
            return;
        }
        // Built aside and renamed, so that test processes running at once never see half a folder.
        fs::path tmp = dir_.string() + "." + std::to_string(getpid());
        fs::create_directories(tmp);
        bool ok = true;
        for (const char* name : {"it_IT", "en_US"}) {
            std::string cmd = "localedef -i " + std::string(name) + " -f UTF-8 '" + tmp.string() + "/" + name +
                              ".UTF-8' >/dev/null 2>&1";
            ok = ok && std::system(cmd.c_str()) == 0;
        }
        std::error_code ec;
        if (ok) fs::rename(tmp, dir_, ec);
        fs::remove_all(tmp, ec);
        ready_ = fs::exists(dir_ / "en_US.UTF-8");
    }
    void SetUp() override {
        if (!ready_) GTEST_SKIP() << "localedef or the glibc locale sources are missing";
        const char* old = std::getenv("LOCPATH");
        savedLocPath_ = old ? std::optional<std::string>(old) : std::nullopt;
        setenv("LOCPATH", dir_.c_str(), 1);
    }
    void TearDown() override {
        if (!ready_) return;
        if (savedLocPath_)
            setenv("LOCPATH", savedLocPath_->c_str(), 1);
        else
            unsetenv("LOCPATH");
    }

    static inline std::filesystem::path dir_;
    static inline bool ready_ = false;
    std::optional<std::string> savedLocPath_;
};

}  // namespace

TEST_F(RealLocales, ItalianLocaleGivesEuroAndCp1252Names) {
    LocaleEnvironment env(nullptr, "it_IT.UTF-8");
    FormatSettings fs = FormatSettings::FromLocale();
    EXPECT_EQ(fs.DecimalSeparator, ',');
    EXPECT_EQ(fs.ThousandSeparator, '.');
    EXPECT_EQ(fs.ShortDateFormat, "dd/mm/yyyy");
    EXPECT_EQ(fs.LongDateFormat, "dddd d mmmm yyyy");
    EXPECT_EQ(fs.LongTimeFormat, "hh:nn:ss");
    EXPECT_EQ(fs.ShortTimeFormat, "hh:nn");
    EXPECT_EQ(fs.LongDayNames[4], "gioved\xEC");
    EXPECT_EQ(fs.LongMonthNames[10], "novembre");
    EXPECT_EQ(fs.CurrencyString, "\x80");
    EXPECT_EQ(fs.CurrencyFormat, 2);
    EXPECT_EQ(fs.NegCurrFormat, 9);
    EXPECT_EQ(fs.CurrencyDecimals, 2);
}

TEST_F(RealLocales, AmericanLocaleGivesItsOrderSeparatorsAndClock) {
    LocaleEnvironment env(nullptr, "en_US.UTF-8");
    FormatSettings fs = FormatSettings::FromLocale();
    EXPECT_EQ(fs.DecimalSeparator, '.');
    EXPECT_EQ(fs.ThousandSeparator, ',');
    EXPECT_EQ(fs.ShortDateFormat, "mm/dd/yyyy");
    EXPECT_EQ(fs.DateSeparator, '/');
    EXPECT_EQ(fs.LongDateFormat, "dddd, mmmm d, yyyy");
    EXPECT_EQ(fs.LongTimeFormat, "hh:nn:ss ampm");
    EXPECT_EQ(fs.TimePMString, "PM");
    EXPECT_EQ(fs.LongDayNames[4], "Thursday");
    EXPECT_EQ(fs.CurrencyString, "$");
    EXPECT_EQ(fs.CurrencyFormat, 0);
    EXPECT_EQ(fs.NegCurrFormat, 1);
}

TEST_F(RealLocales, EachCategoryComesFromItsOwnVariable) {
    LocaleEnvironment env(nullptr, "it_IT.UTF-8");
    setenv("LC_NUMERIC", "en_US.UTF-8", 1);
    FormatSettings fs = FormatSettings::FromLocale();
    unsetenv("LC_NUMERIC");
    EXPECT_EQ(fs.DecimalSeparator, '.');
    EXPECT_EQ(fs.ShortDateFormat, "dd/mm/yyyy");
}
