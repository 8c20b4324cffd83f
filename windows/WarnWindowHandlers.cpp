// The warning dialog's entry point, its height rule, its title and the ways out of it.
#include <cmath>

#include "framework/Application.h"
#include "framework/Dialogs.h"
#include "framework/EndOfLine.h"
#include "windows/ErrorAlert.h"
#include "windows/WarnWindow.h"

using namespace fw;

int32_t WarnResult = 0;

namespace {
// The texts of the two catch-alls.
const String kInitWindowFailed = "Exception in WarnWin: InitWindow";
const String kTextHeightFailed = "EXception in String_GetTextHeight";

// A row of 18 pixels for each started 45 characters of a line; 45 pixels for the rest.
constexpr int32_t kLineHeight = 18;
constexpr int32_t kCharsPerLine = 45;
constexpr int32_t kHeightBesideText = 45;
}  // namespace

void WarnWindow::InitWindow(int32_t DefaultButton, const String& Message, const String& Caption1,
                            const String& Caption2, const String& Caption3) {
    WithCatchAll(kInitWindowFailed, [&] {
        const int32_t wanted = p_GetTextHeight(Message, kLineHeight, kCharsPerLine) + kHeightBesideText;
        if (MinHeight() < wanted) SetHeight(wanted);
        else SetHeight(MinHeight());
        WarnResult = -1;
        DoText()->SetText(Message);
        const std::pair<const String&, Ref<PushButton>> buttons[] = {
            {Caption1, Do1Btn()}, {Caption2, Do2Btn()}, {Caption3, Do3Btn()}};
        for (const auto& [caption, button] : buttons) {
            if (caption.IsEmpty()) continue;
            button->SetCaption(caption);
            button->SetVisible(true);
        }
        if (DefaultButton == 1) Do1Btn()->SetDefault(true);
        else if (DefaultButton == 2) Do2Btn()->SetDefault(true);
        else if (DefaultButton == 3) Do3Btn()->SetDefault(true);
        RuntimeBeep();
        ShowModal();
    });
}

int32_t WarnWindow::p_GetTextHeight(const String& Content, int32_t LineHeight, int32_t CharsPerLine) {
    return WithCatchAll(kTextHeightFailed, [&] {
        const String lineEnd = RuntimeGetEndOfLineObject()->Operator_Convert();
        const int32_t lines = StringCountFields(Content, lineEnd);
        int32_t height = 0;
        for (int32_t i = 1; i <= lines; ++i) {
            const String line = StringNthField(Content, lineEnd, i);
            const double rows = RuntimeCeil(double(StringDBCSLen(line)) / double(CharsPerLine));
            // Without a row width there is no count of rows.
            if (!std::isfinite(rows)) throw OutOfBoundsException("rows of " + std::to_string(CharsPerLine));
            height += int32_t(rows) * LineHeight;
            RuntimeBackgroundTask();
        }
        return height;
    });
}

void WarnWindow::Event_Open() {
    const String name = getAppObject()->ExecutableFile()->DisplayName();
    SetTitle(StringNthField(name, ".", 1) + " v." + getAppObject()->ShortVersion() + " - Warning");
}

bool WarnWindow::Event_KeyDown(const String& Key) {
    if (RuntimeStringCompare(Key, StringDBCSChr(27)) == 0) Close();
    return false;
}

namespace {
// Button N leaves its number and closes the dialog.
void Pressed(WarnWindow& dialog, int32_t n) {
    WarnResult = n;
    dialog.Close();
}
}  // namespace

void WarnWindow::Do1Btn_Action(Ref<PushButton>) { Pressed(*this, 1); }
void WarnWindow::Do2Btn_Action(Ref<PushButton>) { Pressed(*this, 2); }
void WarnWindow::Do3Btn_Action(Ref<PushButton>) { Pressed(*this, 3); }
void WarnWindow::Do4Btn_Action(Ref<PushButton>) { Pressed(*this, 4); }
