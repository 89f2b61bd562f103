#include "engine/expr/CV_Const.h"

namespace tessaly {

const char* const NumberWords[30] = {
    "",         "uno",      "due",      "tre",         "quattro",  "cinque",   "sei",       "sette",
    "otto",     "nove",     "dieci",    "undici",      "dodici",   "tredici",  "quattordici", "quindici",
    "sedici",   "diciassette", "diciotto", "diciannove", "",         "",         "venti",     "trenta",
    "quaranta", "cinquanta", "sessanta", "settanta",   "ottanta",  "novanta",
};

// Thousands of billions read "duemilamiliardi" for 2 x 10^12, as one says it; reusing "miliardi"
// there would make 2 x 10^12 read like 2 x 10^9.
const TcvGroupWord NumberGroupWords[6] = {
    {"", ""},
    {"mille", "mila"},
    {"unmilione", "milioni"},
    {"unmiliardo", "miliardi"},
    {"millemiliardi", "milamiliardi"},
    {"unmilionedimiliardi", "milionidimiliardi"},
};

}  // namespace tessaly
