// Makes seed inputs for the metafile and prepared-report fuzz targets from real files:
//   fuzz_seeds metafile|pages OUTDIR FILE...   (FILE: .emf images or .cvp prepared reports)
// Big drawings make slow inputs, so each drawing is cut into images of a few kilobytes: the header,
// a run of consecutive records, an end-of-file record. "pages" wraps each cut as a one-page A4
// report and adds a three-page report of the first three cuts; prepared reports of at most 64 KB
// are also kept whole.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/core/Errors.h"
#include "platform/core/Stream.h"
#include "platform/emf/Metafile.h"

using namespace tessaly;
namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<uint8_t>;
constexpr size_t kCutSize = 8192;

Bytes ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void WriteFile(const fs::path& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

void StoreU32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

// The drawings of a file: the image of an .emf, every page's drawing of a .cvp.
std::vector<emf::Metafile> Drawings(const fs::path& path) {
    Bytes bytes = ReadFile(path);
    ByteViewStream in(bytes.data(), bytes.size());
    std::vector<emf::Metafile> out;
    try {
        if (path.extension() == ".cvp") {
            uint16_t strings = in.ReadU16();
            for (int i = 0; i < strings; ++i) in.Seek(in.ReadU16(), SeekOrigin::Current);
            int32_t count = in.ReadI32();
            for (int32_t i = 0; i < count; ++i) {
                uint32_t next = in.ReadU32();
                in.Seek(12, SeekOrigin::Current);
                out.push_back(emf::Metafile::ReadFrom(in));
                in.SetPosition(next);
            }
        } else {
            out.push_back(emf::Metafile::ReadFrom(in));
        }
    } catch (const EngineError& e) {
        std::fprintf(stderr, "%s: %s (kept what was read)\n", path.c_str(), e.Message().c_str());
    }
    return out;
}

// Header + records [first, last) + EOF as an image of its own.
Bytes Cut(const std::vector<emf::RecordView>& records, size_t first, size_t last) {
    Bytes out(records[0].Bytes().begin(), records[0].Bytes().end());
    for (size_t i = first; i < last; ++i) out.insert(out.end(), records[i].Bytes().begin(), records[i].Bytes().end());
    const emf::RecordView eof = records.back();
    out.insert(out.end(), eof.Bytes().begin(), eof.Bytes().end());
    StoreU32(out.data() + 48, static_cast<uint32_t>(out.size()));
    StoreU32(out.data() + 52, static_cast<uint32_t>(last - first + 2));
    return out;
}

std::vector<Bytes> Cuts(const emf::Metafile& m) {
    std::vector<emf::RecordView> records(m.Records().begin(), m.Records().end());
    if (m.Bytes().size() <= kCutSize || records.size() < 3 || records.back().Type() != emf::EMR_EOF)
        return {Bytes(m.Bytes().begin(), m.Bytes().end())};
    std::vector<Bytes> out;
    size_t first = 1, size = 0;
    for (size_t i = 1; i + 1 < records.size(); ++i) {
        if (size > 0 && size + records[i].Size() > kCutSize) {
            out.push_back(Cut(records, first, i));
            first = i, size = 0;
        }
        size += records[i].Size();
    }
    out.push_back(Cut(records, first, records.size() - 1));
    return out;
}

Bytes Report(const std::vector<const Bytes*>& drawings) {
    MemoryStream s;
    s.WriteU16(0);
    s.WriteI32(static_cast<int32_t>(drawings.size()));
    for (const Bytes* d : drawings) {
        s.WriteU32(static_cast<uint32_t>(s.Position() + 16 + d->size()));
        s.WriteU16(9);
        s.WriteI32(2100);
        s.WriteI32(2970);
        s.WriteU8(0);
        s.WriteU8(1);
        s.WriteBuffer(d->data(), d->size());
    }
    return s.Data();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3 || (std::string(argv[1]) != "metafile" && std::string(argv[1]) != "pages")) {
        std::fprintf(stderr, "usage: fuzz_seeds metafile|pages OUTDIR FILE...\n");
        return 2;
    }
    const bool pages = std::string(argv[1]) == "pages";
    const fs::path dir = argv[2];
    fs::create_directories(dir);
    int written = 0;
    for (int a = 3; a < argc; ++a) {
        const fs::path path = argv[a];
        const std::string stem = path.stem().string();
        if (pages && path.extension() == ".cvp" && fs::file_size(path) <= 65536)
            fs::copy_file(path, dir / path.filename(), fs::copy_options::overwrite_existing), ++written;
        std::vector<Bytes> cuts;
        for (const emf::Metafile& m : Drawings(path))
            for (Bytes& c : Cuts(m)) cuts.push_back(std::move(c));
        for (size_t i = 0; i < cuts.size(); ++i) {
            const std::string name = stem + "-" + std::to_string(i);
            if (pages)
                WriteFile(dir / (name + ".cvp"), Report({&cuts[i]}));
            else
                WriteFile(dir / (name + ".emf"), cuts[i]);
            ++written;
        }
        if (pages && cuts.size() >= 3) {
            WriteFile(dir / (stem + "-three.cvp"), Report({&cuts[0], &cuts[1], &cuts[2]}));
            ++written;
        }
    }
    std::printf("%d seeds in %s\n", written, dir.c_str());
    return 0;
}
