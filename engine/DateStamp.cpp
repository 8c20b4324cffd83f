#include "engine/DateStamp.h"

#include "engine/EngineAlerts.h"
#include "engine/FailureReport.h"

using namespace fw;

int32_t UnixTimeStamp(Ref<Date> date) {
    if (date.IsNil()) return 0;
    return RuntimeCvtReal64ToSInt32(date->TotalSeconds() - kSecondsFrom1904To1970);
}

int32_t DT_DateToUnixTimeStamp(Ref<Date> date) {
    try {
        return UnixTimeStamp(date);
    } catch (...) {
        ShowCaughtError(kAlertDateToUnixTimeStamp);
        return 0;
    }
}
