#pragma once
// Band views and text objects added in code to the first page of a benchmark's template.
#include <memory>

#include "engine/model/CV_BandView.h"
#include "engine/model/CV_Memo.h"
#include "engine/model/CV_Page.h"
#include "engine/report/CV_Report.h"

namespace tessaly::bench {

inline void AddBand(TcvReport& report, int type, int top, int height, const char* dataset = "") {
    auto view = std::make_unique<TcvBandView>(&report);
    view->SetBandType(uint8_t(type));
    view->Top = top, view->Width = 794, view->Height = height;
    view->FormatText = dataset;
    report.Pages().Pages(0).AddObject(std::move(view));
}

inline void AddText(TcvReport& report, int left, int top, int width, const char* text) {
    auto memo = std::make_unique<TcvMemoView>(&report);
    memo->Left = left, memo->Top = top, memo->Width = width, memo->Height = 18;
    memo->MemoLines.Add(text);
    report.Pages().Pages(0).AddObject(std::move(memo));
}

}  // namespace tessaly::bench
