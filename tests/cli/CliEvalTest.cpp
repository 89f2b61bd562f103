// tessaly-cli eval EXPR and words NUMBER..., run as a program.
#include <gtest/gtest.h>

#include "CliRun.h"

using tessaly::testing::CliResult;
using tessaly::testing::RunCli;

TEST(CliEval, PrintsTheKindAndTextOfTheValue) {
    struct Case { const char* args; const char* out; };
    for (Case c : {Case{"eval '7 div 2'", "integer 3\n"},
                   {"eval '5 / 2'", "double 2.5\n"},
                   {"eval '10 / 3'", "double 3.33333333333333\n"},
                   {"eval '2 * 3 ^ 2'", "double 36\n"},
                   {"eval '1 = 1 AND 2 = 2'", "integer 0\n"},
                   {"eval \"'caff\xC3\xA8' + '!'\"", "string caff\xC3\xA8!\n"},
                   {"eval \"'It''s'\"", "string It's\n"},
                   {"eval ''", "null\n"},
                   {"eval 1 + 2", "double 3\n"}}) {
        CliResult r = RunCli(c.args);
        EXPECT_EQ(r.exitCode, 0) << c.args << ": " << r.err;
        EXPECT_EQ(r.out, c.out) << c.args;
    }
}

TEST(CliEval, ErrorsGoToStandardErrorWithExitCodeOne) {
    struct Case { const char* args; const char* err; };
    for (Case c : {Case{"eval '1 / 0'", "Tipo di dati incompatibili nell'espressione: 1 / 0\n"},
                   {"eval '(1'", "Numero errato di parentesi nell'espressione : (1\n"},
                   {"eval 'Ignoto + 1'", "Identificatore sconosciuto: Ignoto + 1\n"}}) {
        CliResult r = RunCli(c.args);
        EXPECT_EQ(r.exitCode, 1) << c.args;
        EXPECT_EQ(r.out, "") << c.args;
        EXPECT_EQ(r.err, c.err) << c.args;
    }
}

TEST(CliWords, PrintsOneLineOfWordsPerNumber) {
    CliResult r = RunCli("words 1001000 21000 108 180 1000000000 1.0025 -0.5 0.05");
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out,
              "unmilionemille\nventunomila\ncentootto\ncentoottanta\nunmiliardo\n"
              "uno virgola zero zero venticinque\nmeno zero virgola cinque\nzero virgola zero cinque\n");
}

TEST(CliWords, RefusesWhatIsNoNumberOrBeyondTheCurrencyRange) {
    CliResult bad = RunCli("words 12 dodici");
    EXPECT_EQ(bad.exitCode, 1);
    EXPECT_EQ(bad.out, "dodici\n");
    EXPECT_EQ(bad.err, "'dodici' non \xC3\xA8 un numero valido\n");
    CliResult big = RunCli("words 1e15");
    EXPECT_EQ(big.exitCode, 1);
    EXPECT_EQ(big.out, "");
    EXPECT_NE(big.err, "");
}
