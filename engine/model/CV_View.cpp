#include "engine/model/CV_View.h"

#include "engine/expr/CV_FormatCode.h"

namespace tessaly {

TcvView::TcvView(TcvReport* report) : Report(report), Format(DefaultFormatCode()) {}

}  // namespace tessaly
