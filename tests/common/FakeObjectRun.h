#pragma once
// A run of objects set up by hand (see FakeRun.h): the object it has current and its pass.
#include "common/FakeRun.h"
#include "engine/model/CV_ObjectRun.h"

namespace tessaly::testing {

class FakeObjectRun : public FakeRunOf<TcvObjectRun> {
public:
    TcvView* object = nullptr;
    bool firstPass = false;

    void MakeCurrent(TcvView* view) override { object = view; }
    TcvView* Current() const override { return object; }
    bool InFirstPass() const override { return firstPass; }
};

}  // namespace tessaly::testing
