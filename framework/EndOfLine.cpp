#include "framework/EndOfLine.h"

namespace fw {

String EndOfLine::Operator_Convert() const { return String("\n"); }

Ref<EndOfLine> RuntimeGetEndOfLineObject() {
    static const Ref<EndOfLine> endOfLine = New<EndOfLine>();
    return endOfLine;
}

}  // namespace fw
