// make_listing_report FILE PAGES: writes the listing report of the benchmarks (about 50 KB a page),
// for the viewer's flow to open a report of thousands of pages in every build, the sanitizers' too.
#include <cstdio>
#include <cstdlib>

#include "bench/load/ListingReport.h"

int main(int argc, char** argv) {
    if (argc != 3 || std::atoi(argv[2]) <= 0) {
        std::fprintf(stderr, "uso: make_listing_report FILE PAGINE\n");
        return 2;
    }
    tessaly::bench::WriteListingReport(argv[1], std::atoi(argv[2]));
    return 0;
}
