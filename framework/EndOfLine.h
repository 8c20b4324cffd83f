#pragma once
// The platform's line end, as an object that converts to its text.
#include "framework/Object.h"
#include "framework/Text.h"

namespace fw {

class EndOfLine : public Object {
public:
    // The line end as a text: LF on this platform.
    String Operator_Convert() const;
};

Ref<EndOfLine> RuntimeGetEndOfLineObject();

}  // namespace fw
