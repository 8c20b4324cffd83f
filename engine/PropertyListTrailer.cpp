#include "engine/PropertyListTrailer.h"

#include <string>
#include <string_view>

#include "engine/DateStamp.h"
#include "engine/EngineAlerts.h"
#include "engine/FailureReport.h"
#include "engine/HeaderFields.h"
#include "engine/PlistText.h"
#include "framework/Date.h"
#include "windows/MainWindow.h"

using namespace fw;

namespace {

// The values a line of the trailer takes.
enum class Slot { None, DateKey, Date, Sender, Subject, To };

struct TrailerLine {
    const char* before;
    Slot slot;
    const char* after;
};

// One line of the file each, in order; each ends in LF.
constexpr TrailerLine kTrailer[] = {
    {R"(<?xml version="1.0" encoding="UTF-8"?>)", Slot::None, ""},
    {R"(<!DOCTYPE plist PUBLIC "-//Apple//DTD PLIST 1.0//EN" "http://www.apple.com/DTDs/PropertyList-1.0.dtd">)",
     Slot::None, ""},
    {R"(<plist version="1.0">)", Slot::None, ""},
    {"<dict>", Slot::None, ""},
    {"<key>date-sent</key>", Slot::DateKey, ""},
    {"<real>", Slot::Date, "</real>"},
    {"<key>flags</key>", Slot::None, ""},
    {"<integer>33815681</integer>", Slot::None, ""},
    {"<key>sender</key>", Slot::None, ""},
    {"<string>", Slot::Sender, "</string>"},
    {"<key>subject</key>", Slot::None, ""},
    {"<string>", Slot::Subject, "</string>"},
    {"<key>to</key>", Slot::None, ""},
    {"<string>", Slot::To, "</string>"},
    {"</dict>", Slot::None, ""},
    {"</plist>", Slot::None, ""},
};

// The header field that supplies each value.
constexpr std::string_view kSenderField = "From";
constexpr std::string_view kSubjectField = "Subject";
constexpr std::string_view kToField = "To";
constexpr std::string_view kDateField = "Date";

// The decimal Unix time of the Date field, or empty when it does not parse.
std::string DateValue(std::string_view header, DateStamp stamp) {
    Ref<Date> date;
    if (!parseDate(String(std::string(HeaderFieldValue(header, kDateField)), EncodingKind::Latin1), date)) return {};
    return StringStrInt32(stamp(date)).Bytes();
}

}  // namespace

String BuildPropertyListTrailer(const String& message, DateStamp stamp) {
    const std::string_view header = HeaderSection(message.Bytes());
    const std::string date = DateValue(header, stamp);
    std::string out;
    out.reserve(512);
    for (const TrailerLine& line : kTrailer) {
        if ((line.slot == Slot::DateKey || line.slot == Slot::Date) && date.empty()) continue;
        out += line.before;
        switch (line.slot) {
        case Slot::None:
        case Slot::DateKey: break;
        case Slot::Date: out += date; break;
        case Slot::Sender: AppendPlistText(out, HeaderFieldValue(header, kSenderField)); break;
        case Slot::Subject: AppendPlistText(out, HeaderFieldValue(header, kSubjectField)); break;
        case Slot::To: AppendPlistText(out, HeaderFieldValue(header, kToField)); break;
        }
        out += line.after;
        out += '\n';
    }
    return String(std::move(out), EncodingKind::Latin1);
}

String MainWindow::p_GetPList(const String& message) {
    try {
        return BuildPropertyListTrailer(message, DT_DateToUnixTimeStamp);
    } catch (...) {
        ShowCaughtError(kAlertGetPList);
        return String();
    }
}
