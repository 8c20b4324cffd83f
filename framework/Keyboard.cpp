#include "framework/Keyboard.h"

#include <QCoreApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QPointer>
#include <map>
#include <set>

namespace fw {

namespace {

// The Mac virtual key codes the program asks about, by Qt key.
const std::map<int, int32_t> kVirtualKeys = {
    {Qt::Key_Escape, kVirtualKeyEscape},
};

std::set<int32_t>& HeldKeys() {
    static std::set<int32_t> held;
    return held;
}

class KeyTracker : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override {
        switch (event->type()) {
        case QEvent::KeyPress:
        case QEvent::KeyRelease: {
            auto* key = static_cast<QKeyEvent*>(event);
            auto it = kVirtualKeys.find(key->key());
            if (it != kVirtualKeys.end() && !key->isAutoRepeat()) {
                // One key event is seen by the filter once per receiver it
                // passes on its way up, so record it only as a state change.
                if (event->type() == QEvent::KeyPress) HeldKeys().insert(it->second);
                else HeldKeys().erase(it->second);
            }
            break;
        }
        case QEvent::ApplicationDeactivate:
            HeldKeys().clear();  // a release outside the application is never seen
            break;
        default:
            break;
        }
        return QObject::eventFilter(watched, event);
    }
};

}  // namespace

bool _Keyboard::AsyncKeyDown(int32_t virtualKeyCode) const {
    InstallKeyboardTracking();
    return HeldKeys().count(virtualKeyCode) > 0;
}

Ref<_Keyboard> getKeyboardObject() {
    static const Ref<_Keyboard> keyboard = New<_Keyboard>();
    return keyboard;
}

void ForgetHeldKey(int qtKey) {
    auto it = kVirtualKeys.find(qtKey);
    if (it != kVirtualKeys.end()) HeldKeys().erase(it->second);
}

void InstallKeyboardTracking() {
    static QPointer<KeyTracker> tracker;
    QCoreApplication* app = QCoreApplication::instance();
    if (!app || tracker) return;
    tracker = new KeyTracker(app);
    app->installEventFilter(tracker);
}

}  // namespace fw
