#pragma once
// The walk of a page's data, level by level: master (1), detail (2) and sub-detail (3). Each data
// band of a level's chain walks its dataset; for every record the levels below run, and the
// bands waiting to print (the level's headers, the data bands of the levels above) print with the
// first record of the deepest level that has one. At level 1 group headers and footers come at
// every change of their conditions.
namespace tessaly {

struct TcvPageRun;

// Runs the levels of the page from level 1 (nothing when no data band has objects).
void RunLevels(TcvPageRun& page);

}  // namespace tessaly
