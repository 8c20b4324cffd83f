#pragma once
// Event bindings. A delegate ties a handler member to its receiver, a window
// held through a weak reference, so a binding never keeps its window alive.
// A control holds its bindings; when it raises an event, the binding's
// dispatch routine runs the delegate with the control as the argument.
#include <functional>
#include <string>
#include <vector>

#include "framework/Object.h"
#include "framework/Runtime.h"

namespace fw {

class Control;

// Calls a handler with the arguments of its parameter list.
using DelegateCaller = Value (*)(const MemberRecord& handler, Object& receiver, const std::vector<Value>& args);
// The framework's caller: the handler's generic invoker.
Value CallHandlerMember(const MemberRecord& handler, Object& receiver, const std::vector<Value>& args);

// What the framework keeps of a delegate: calling it calls the handler. It
// holds the receiver as weakly as the delegate did and outlives the delegate.
class EntryPoint : public Object {
public:
    explicit EntryPoint(std::function<Value(const std::vector<Value>& args)> call) : call_(std::move(call)) {}
    Value Call(const std::vector<Value>& args = {}) const { return call_(args); }

private:
    std::function<Value(const std::vector<Value>& args)> call_;
};

class Delegate : public Object {
public:
    // A delegate on a member of `receiver`, or on a module routine when `routine` is set.
    Delegate(MemberRecord handler, const Ref<Object>& receiver, std::string parameterList, DelegateCaller caller,
             bool routine = false);

    const MemberRecord& Handler() const { return target_.handler; }
    const std::string& ParameterList() const { return parameterList_; }
    bool ReceiverGone() const { return !target_.routine && target_.receiver.Expired(); }

    // Runs the handler on its receiver. The receiver is held strongly until the
    // handler returns, so a window closed inside it is destroyed only afterwards.
    // Raises NilObjectException instead of calling when the receiver is gone.
    Value Invoke(const std::vector<Value>& args) const;
    // The entry point to hand to the framework.
    Ref<EntryPoint> Entry() const;

private:
    struct Target {
        MemberRecord handler;
        WeakRef<Object> receiver;
        DelegateCaller caller;
        bool routine;
        Value Call(const std::vector<Value>& args) const;
    };
    Target target_;
    std::string parameterList_;
};

// A delegate for the handler on the receiver. The parameter list is written as
// "( TextField )" or "( Ptr, Ptr ) as Object"; it must agree with the handler's
// signature ("%%o<TextField>"), else RuntimeException.
Ref<Delegate> RuntimeCreateDelegate(const MemberRecord* handler, const Ref<Object>& receiver,
                                    const std::string& parameterList, DelegateCaller caller = CallHandlerMember);
// A delegate on a module routine (made with MakeRoutineInvoker): it has no receiver.
Ref<Delegate> RuntimeCreateRoutineDelegate(const MemberRecord& routine, const std::string& parameterList);

// Runs one delegate for one event of a control.
using EventDispatcher = void (*)(Control& control, const Delegate& delegate, const std::vector<Value>& eventArgs);
// The dispatch of the control events that pass only their control: Action,
// TextChange, Open.
void DispatchWithControl(Control& control, const Delegate& delegate, const std::vector<Value>& eventArgs);

// Binds the delegate to an event that the control's kind raises; an event the
// kind does not have raises RuntimeException.
void RuntimeAddEventHandler(const Ref<Control>& control, const std::string& event, EventDispatcher dispatcher,
                            const Ref<Delegate>& delegate);

// Tests watch the bindings through this: it is told the handler member's name
// each time a delegate runs one. Returns the observer it replaces.
std::function<void(const std::string& member)> SetHandlerObserver(
    std::function<void(const std::string& member)> observer);

// The signature notation of a parameter list: "( TextField )" -> "%%o<TextField>".
std::string SignatureOfParameterList(const std::string& parameterList);

}  // namespace fw
