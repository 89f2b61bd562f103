#pragma once
// Helpers of the report-model tests: the engine's messages caught as "CAPTION: TEXT" lines,
// templates saved to and loaded from bytes, an add-in class with a field of its own.
#include <QScopedValueRollback>
#include <string>
#include <vector>

#include "engine/model/CV_View.h"
#include "engine/report/CV_Report.h"
#include "engine/report/EngineState.h"
#include "platform/core/Errors.h"
#include "platform/core/Stream.h"
#include "common/TemplateStream.h"

namespace tessaly::testing {

// While it lives, the engine's messages are kept here instead of shown.
class CaughtMessages {
public:
    CaughtMessages() : sink_(MessageSink) {
        MessageSink = [this](TMsgDlgType, const AnsiString& caption, const AnsiString& text) {
            lines.push_back(caption + ": " + text);
        };
    }
    std::vector<std::string> lines;

private:
    QScopedValueRollback<TcvMessageSink> sink_;
};

// An add-in object with a field of its own after the common part.
class TcvStampView : public TcvView {
public:
    explicit TcvStampView(TcvReport* report) : TcvView(report, "TcvStampView") {}
    int32_t Ink = 7;
    void LoadFromStream(Stream& s) override {
        TcvView::LoadFromStream(s);
        Ink = s.ReadI32();
    }
    void SaveToStream(Stream& s) const override {
        TcvView::SaveToStream(s);
        s.WriteI32(Ink);
    }
};

inline std::vector<uint8_t> SavedBytes(TcvReport& report) {
    MemoryStream m;
    report.SaveToStream(m);
    return m.Data();
}

// True when the template loaded; false when loading failed (its messages shown, the report reset).
inline bool LoadBytes(TcvReport& report, const std::vector<uint8_t>& bytes) {
    MemoryStream m(bytes);
    try {
        report.LoadFromStream(m);
        return true;
    } catch (const EAbort&) {
        return false;
    }
}

}  // namespace tessaly::testing
