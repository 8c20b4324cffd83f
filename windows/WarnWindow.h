#pragma once
// The program's own modal message dialog: one message in bold above a row of
// up to three buttons, its height fitted to the message. The number of the
// button that closed it is left in WarnResult.
#include <cstdint>

#include "framework/Controls.h"
#include "framework/Window.h"

// 0 at start; -1 while a dialog is up and after Escape; 1 to 4 after a button.
extern int32_t WarnResult;

class WarnWindow : public fw::Window {
public:
    // Window construction hooks.
    void Layout();
    void CreateControls();
    void _CreateControls0();

    // Control accessors: each looks its control up by name.
    fw::Ref<fw::Label> DoText();
    fw::Ref<fw::PushButton> Do1Btn();
    fw::Ref<fw::PushButton> Do2Btn();
    fw::Ref<fw::PushButton> Do3Btn();
    fw::Ref<fw::PushButton> Do4Btn();

    // Event handlers.
    void Do1Btn_Action(fw::Ref<fw::PushButton> sender);
    void Do2Btn_Action(fw::Ref<fw::PushButton> sender);
    void Do3Btn_Action(fw::Ref<fw::PushButton> sender);
    void Do4Btn_Action(fw::Ref<fw::PushButton> sender);
    void Event_Open();
    bool Event_KeyDown(const fw::String& Key);

    // Shows the message with up to three buttons (an empty caption hides its
    // button), makes button DefaultButton (1 to 3) the default, beeps, and
    // returns when the dialog has closed.
    void InitWindow(int32_t DefaultButton, const fw::String& Message, const fw::String& Caption1,
                    const fw::String& Caption2, const fw::String& Caption3);

    static void RegisterClass();

protected:
    // The height the rows of Content need: each line, split at the platform's
    // line end, takes one row per started CharsPerLine characters.
    int32_t p_GetTextHeight(const fw::String& Content, int32_t LineHeight, int32_t CharsPerLine);

    friend struct WarnWindowTestAccess;
};

// The shared dialog: the open one, or a new one, built and open.
fw::Ref<WarnWindow> GetWarnWindowInstance();
const fw::ClassRecord* GetWarnWindowClass();
