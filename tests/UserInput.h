#pragma once
// The user's input as the window system delivers it: clicks go through Qt's
// platform layer, so a window that a modal one blocks does not get them.
// Include this before anything else that includes QTest.
#define QTEST_QPA_MOUSE_HANDLING
#include <QApplication>
#include <QCloseEvent>
#include <QElapsedTimer>
#include <gtest/gtest.h>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/Controls.h"
#include "framework/Window.h"
#include "windows/WarnWindow.h"

// Clicks a control in the middle, showing the page of the tab panel it lies on first.
inline void Click(fw::Window& window, const fw::Ref<fw::RectControl>& control) {
    if (control->TabPanelIndex() > 0) {
        auto panel = fw::DynamicCast<fw::TabPanel>(window._ControlByName(control->InitialParent()));
        panel->SetValue(control->TabPanelIndex() - 1);
    }
    QTest::mouseClick(control->Widget(), Qt::LeftButton);
}

// What the window manager's close request (WM_DELETE_WINDOW: the close box,
// Alt+F4) becomes: a close event to the window, as the platform sends it.
inline void RequestClose(QWidget* window) {
    QCloseEvent request;
    QCoreApplication::sendEvent(window->windowHandle(), &request);
}

// Runs `action` as soon as the event loop runs again, e.g. inside a modal show.
inline void Soon(std::function<void()> action) { QTimer::singleShot(0, qApp, std::move(action)); }

// A warning dialog as the user saw it when it came up.
struct ShownWarning {
    std::string message;
    std::vector<std::string> buttons;  // the captions of the visible buttons, Do1Btn first
    int defaultButton = 0;             // 1 to 4; 0 for none
    int height = 0;
    std::string title;
    bool centred = false;              // over the first open window
};

// While it lives, answers every warning dialog that comes up modally: records
// it, runs `onShown`, and closes it with a click on button `answer` (1 to 3),
// with Escape (`answer` 0), or leaves that to `onShown` (`answer` -1).
class WarningAnswerer {
public:
    WarningAnswerer() : poll_(std::make_unique<QTimer>()) {
        QObject::connect(poll_.get(), &QTimer::timeout, [this] { Poll(); });
        poll_->start(2);
    }

    std::vector<std::string> Messages() const {
        std::vector<std::string> out;
        for (const ShownWarning& w : shown) out.push_back(w.message);
        return out;
    }

    std::vector<ShownWarning> shown;
    std::function<void(WarnWindow&)> onShown;
    int answer = 1;

private:
    void Poll() {
        fw::Ref<WarnWindow> warn = fw::DynamicCast<WarnWindow>(fw::RuntimeGetImplicitWindow("WarnWindow.WarnWindow"));
        if (warn.IsNil()) return;
        if (QApplication::activeModalWidget() != warn->Widget()) {
            // One that stays up without being modal would hold the test up for good.
            if (warn.raw() != waiting_) {
                waiting_ = warn.raw();
                since_.start();
            } else if (since_.elapsed() > 3000) {
                ADD_FAILURE() << "a warning dialog is up but not modal: " << warn->DoText()->Text().ToUTF8();
                warn->Close();
            }
            return;
        }
        ShownWarning seen;
        seen.message = warn->DoText()->Text().ToUTF8();
        const fw::Ref<fw::PushButton> buttons[] = {warn->Do1Btn(), warn->Do2Btn(), warn->Do3Btn(), warn->Do4Btn()};
        for (int i = 0; i < 4; ++i) {
            if (buttons[i]->Widget()->isVisible()) seen.buttons.push_back(buttons[i]->Caption().ToUTF8());
            if (buttons[i]->Default()) seen.defaultButton = i + 1;
        }
        seen.height = warn->Height();
        seen.title = warn->Title().ToUTF8();
        const auto& open = fw::OpenWindows();
        seen.centred = open.size() > 1 && open.front()->Widget()->frameGeometry().center() ==
                                              warn->Widget()->frameGeometry().center();
        shown.push_back(seen);
        if (onShown) onShown(*warn);
        if (answer == 0) QTest::keyClick(warn->Widget(), Qt::Key_Escape);
        else if (answer > 0) Click(*warn, buttons[answer - 1]);
    }

    std::unique_ptr<QTimer> poll_;
    const void* waiting_ = nullptr;
    QElapsedTimer since_;
};
