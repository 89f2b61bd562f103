// Every template of the tests and the examples, damaged (single bytes flipped, cut short), either
// loads or fails with the loading message, and then prepares against a few rows of the demo
// tables or fails with a preparation error: never a crash or a hang. The damage is a fixed sample
// so that the test takes seconds.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "common/EngineSupport.h"
#include "common/MemoryDemoData.h"
#include "engine/model/CV_Page.h"
#include "engine/model/CV_Template.h"
#include "engine/report/CV_Pages.h"
#include "engine/report/CV_Report.h"
#include "engine/report/EngineState.h"
#include "platform/core/Errors.h"
#include "platform/core/Stream.h"

namespace {

using namespace tessaly;
namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

constexpr size_t kFlipsPerFile = 320;
constexpr size_t kCutStep = 64;

std::vector<fs::path> Templates() {
    const fs::path root(TESSALY_SOURCE_DIR);
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(root / "tests/fuzz/corpus/template")) files.push_back(entry.path());
    for (const auto& entry : fs::directory_iterator(root / "examples"))
        if (entry.path().extension() == ".cvf") files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

// The damaged copies of one template: bytes flipped at evenly spread positions, cuts at every 64th byte.
std::vector<Bytes> Damaged(const Bytes& bytes) {
    std::vector<Bytes> out;
    const size_t step = std::max<size_t>(1, bytes.size() / kFlipsPerFile);
    for (size_t i = 0; i < bytes.size(); i += step) {
        out.push_back(bytes);
        out.back()[i] ^= 0xFF;
    }
    for (size_t n = 0; n < bytes.size(); n += kCutStep) out.emplace_back(bytes.begin(), bytes.begin() + long(n));
    return out;
}

class DamagedTemplates : public ::testing::Test {
protected:
    void SetUp() override {
        tessaly::testing::EnsureApplication();
        MessageSink = [this](TMsgDlgType, const AnsiString& caption, const AnsiString& text) {
            messages.push_back(caption + ": " + text);
        };
    }
    void TearDown() override { MessageSink = nullptr; }

    // Loads and prepares one damaged template; the failure text for the test, empty when sound.
    std::string Check(const Bytes& bytes) {
        messages.clear();
        TcvReport report(nullptr);
        MemoryStream in(bytes);
        try {
            report.LoadFromStream(in);
        } catch (const EAbort&) {
            const std::string expected = std::string("Errore: ") + kTemplateLoadFailed;
            if (std::find(messages.begin(), messages.end(), expected) == messages.end()) return "no loading message";
            return report.Pages().Count() == 1 ? "" : "not reset after a failed load";
        }
        report.SetShowProgress(false);
        report.MaxPages = 200;
        report.MaxPreparationMs = 2000;
        const bool finished = report.PrepareReport();
        if (finished == report.PreparationErrorText().empty()) return "";
        return finished ? "finished with an error" : "stopped without an error";
    }

    EngineUnits units{nullptr};
    tessaly::testing::MemoryDemoData demo;
    std::vector<std::string> messages;
};

TEST_F(DamagedTemplates, LoadOrFailWithTheLoadingMessageThenPrepareOrFailWithAPreparationError) {
    const auto files = Templates();
    ASSERT_GE(files.size(), 7u);  // the tests' five and at least the two examples
    for (const fs::path& file : files) {
        const auto copies = Damaged(tessaly::testing::ReadFile(file));
        for (size_t i = 0; i < copies.size(); ++i) {
            const std::string failure = Check(copies[i]);
            EXPECT_EQ(failure, "") << file.filename() << ", damaged copy " << i;
        }
    }
}

}  // namespace
