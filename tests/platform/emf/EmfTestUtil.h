#pragma once
// Helpers of the metafile tests: the real files of ../shared/fixtures/emf and small hand-made
// images.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace emftest {

inline std::filesystem::path FixtureDir() { return std::filesystem::path(TESSALY_FIXTURES_DIR) / "emf"; }

// The structurally valid fixtures, and the three damaged ones.
inline const std::vector<std::string>& ValidFixtures() {
    static const std::vector<std::string> names = {
        "freehep-TestClip.emf", "freehep-TestFonts.emf", "freehep-TestLabels.emf",
        "libemf2svg-EA-test-file-101.emf", "libemf2svg-test-013.emf", "libemf2svg-test-082.emf",
        "libemf2svg-test-104.emf", "libemf2svg-test-109.emf", "libemf2svg-test-118.emf",
        "libemf2svg-test-120.emf", "libemf2svg-test-142.emf", "libemf2svg-test-165.emf",
        "libemf2svg-test-174.emf", "libemf2svg-test-180.emf", "libemf2svg-test-182.emf",
        "libemf2svg-test-183.emf", "libemf2svg-test-184.emf", "libemf2svg-test-185.emf",
        "libuemf-test_libuemf_p_ref.emf", "libuemf-test_libuemf_ref.emf",
        "libuemf-test_mm_anisotropic_ref.emf", "libuemf-test_mm_twips_ref.emf",
        "rtfjs-image-2-source.emf",
    };
    return names;
}

inline std::vector<uint8_t> ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

#define SKIP_WITHOUT_FIXTURES()                                                              \
    do {                                                                                     \
        if (!std::filesystem::is_directory(emftest::FixtureDir()))                           \
            GTEST_SKIP() << "no metafile fixtures at " << emftest::FixtureDir().string();    \
    } while (0)

// Builds images record by record, little-endian.
class ImageBuilder {
public:
    ImageBuilder& U32(uint32_t v) {
        for (int i = 0; i < 4; ++i) bytes_.push_back(uint8_t(v >> (8 * i)));
        return *this;
    }
    ImageBuilder& U16(uint16_t v) {
        bytes_.push_back(uint8_t(v));
        bytes_.push_back(uint8_t(v >> 8));
        return *this;
    }
    ImageBuilder& Zeros(size_t n) {
        bytes_.insert(bytes_.end(), n, 0);
        return *this;
    }
    // An 88-byte header with a frame of 0..(w, h) hundredths of a millimetre.
    ImageBuilder& Header(uint32_t records, int32_t frameRight = 1000, int32_t frameBottom = 1000) {
        U32(1).U32(88).Zeros(16).U32(0).U32(0).U32(uint32_t(frameRight)).U32(uint32_t(frameBottom));
        U32(0x464D4520).U32(0x10000).U32(0).U32(records).U16(1).U16(0);
        U32(0).U32(0).U32(0).U32(1024).U32(768).U32(360).U32(270);
        return *this;
    }
    ImageBuilder& Record(uint32_t type, std::vector<uint32_t> fields) {
        U32(type).U32(uint32_t(8 + 4 * fields.size()));
        for (uint32_t f : fields) U32(f);
        return *this;
    }
    ImageBuilder& Eof() { return Record(14, {0, 16, 20}); }
    // Patches the header's total size to the bytes written so far.
    std::vector<uint8_t> Finish() {
        std::vector<uint8_t> b = bytes_;
        uint32_t n = uint32_t(b.size());
        for (int i = 0; i < 4; ++i) b[48 + i] = uint8_t(n >> (8 * i));
        return b;
    }
    std::vector<uint8_t>& Raw() { return bytes_; }

private:
    std::vector<uint8_t> bytes_;
};

inline void PutU32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = uint8_t(v >> (8 * i));
}

}  // namespace emftest
