#pragma once
// Looking into the PDF files that Qt writes (uncompressed page dictionaries).
#include <regex>
#include <string>
#include <utility>
#include <vector>

namespace tessaly::testing {

// The page sizes in points, in page order.
inline std::vector<std::pair<int, int>> MediaBoxes(const std::string& pdf) {
    std::vector<std::pair<int, int>> boxes;
    const std::regex box(R"(/MediaBox \[0 0 ([0-9.]+) ([0-9.]+)\])");
    for (auto it = std::sregex_iterator(pdf.begin(), pdf.end(), box); it != std::sregex_iterator(); ++it)
        boxes.emplace_back(int(std::stod((*it)[1]) + 0.5), int(std::stod((*it)[2]) + 0.5));
    return boxes;
}

}  // namespace tessaly::testing
