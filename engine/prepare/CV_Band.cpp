#include "engine/prepare/CV_Band.h"

#include "platform/data/Dataset.h"

namespace tessaly {

bool TcvBand::DataSetEof() const { return !DataSet || !DataSet->Active() || DataSet->Eof(); }

}  // namespace tessaly
