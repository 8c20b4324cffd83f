#include "engine/DateStamp.h"

#include "engine/EngineAlerts.h"
#include "windows/ErrorAlert.h"

using namespace fw;

int32_t DT_DateToUnixTimeStamp(Ref<Date> date) {
    try {
        if (date.IsNil()) return 0;
        return RuntimeCvtReal64ToSInt32(date->TotalSeconds() - kSecondsFrom1904To1970);
    } catch (...) {
        Msg_ShowError(kAlertDateToUnixTimeStamp);
        return 0;
    }
}
