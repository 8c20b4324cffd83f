#include "framework/Delegate.h"

#include <cctype>

#include "framework/Control.h"
#include "framework/MainThread.h"

namespace fw {

namespace {

std::string Trim(const std::string& s) {
    size_t b = 0, e = s.size();
    while (b < e && std::isspace(static_cast<unsigned char>(s[b]))) ++b;
    while (e > b && std::isspace(static_cast<unsigned char>(s[e - 1]))) --e;
    return s.substr(b, e - b);
}

std::string TypeCode(const std::string& typeName) {
    if (typeName == "Boolean") return "b";
    if (typeName == "Integer" || typeName == "Int32") return "i4";
    if (typeName == "String") return "s";
    if (typeName == "Double") return "d";
    if (typeName == "Single") return "f4";
    if (typeName == "Ptr") return "p";
    return "o<" + typeName + ">";
}

// The handler must take what the parameter list names.
void CheckParameterList(const MemberRecord& handler, const std::string& parameterList) {
    const std::string wanted = SignatureOfParameterList(parameterList);
    if (!handler.signature.empty() && handler.signature != wanted)
        throw RuntimeException("handler " + handler.name + " " + handler.signature + " does not take " +
                               parameterList);
}

std::function<void(const std::string&)>& HandlerObserver() {
    static std::function<void(const std::string&)> observer;
    return observer;
}

}  // namespace

std::function<void(const std::string& member)> SetHandlerObserver(
    std::function<void(const std::string& member)> observer) {
    std::swap(HandlerObserver(), observer);
    return observer;
}

std::string SignatureOfParameterList(const std::string& parameterList) {
    const size_t open = parameterList.find('(');
    const size_t close = parameterList.find(')', open == std::string::npos ? 0 : open);
    if (open == std::string::npos || close == std::string::npos)
        throw RuntimeException("not a parameter list: " + parameterList);
    std::string params;
    std::string inner = parameterList.substr(open + 1, close - open - 1);
    size_t start = 0;
    while (start <= inner.size()) {
        size_t comma = inner.find(',', start);
        std::string name = Trim(inner.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
        if (!name.empty()) params += TypeCode(name);
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    std::string result;
    std::string rest = Trim(parameterList.substr(close + 1));
    if (rest.rfind("as ", 0) == 0) result = TypeCode(Trim(rest.substr(3)));
    return "%" + result + "%" + params;
}

Value CallHandlerMember(const MemberRecord& handler, Object& receiver, const std::vector<Value>& args) {
    if (!handler.invoke) throw RuntimeException("handler " + handler.name + " cannot be called");
    return handler.invoke(receiver, args);
}

Delegate::Delegate(MemberRecord handler, const Ref<Object>& receiver, std::string parameterList,
                   DelegateCaller caller, bool routine)
    : target_{std::move(handler), receiver, caller, routine}, parameterList_(std::move(parameterList)) {}

Value Delegate::Target::Call(const std::vector<Value>& args) const {
    RequireMainThread();
    Ref<Object> held = routine ? Ref<Object>() : receiver.Lock();  // held until the handler returns
    if (!routine && held.IsNil()) throw NilObjectException("the window of handler " + handler.name + " is gone");
    if (HandlerObserver()) HandlerObserver()(handler.name);
    if (routine) {
        Object none;  // a routine has no receiver; its invoker ignores this one
        return caller(handler, none, args);
    }
    return caller(handler, *held, args);
}

Value Delegate::Invoke(const std::vector<Value>& args) const { return target_.Call(args); }

Ref<EntryPoint> Delegate::Entry() const {
    return New<EntryPoint>([target = target_](const std::vector<Value>& args) { return target.Call(args); });
}

Ref<Delegate> RuntimeCreateDelegate(const MemberRecord* handler, const Ref<Object>& receiver,
                                    const std::string& parameterList, DelegateCaller caller) {
    RequireMainThread();
    if (!handler) throw NilObjectException("no handler member");
    if (receiver.IsNil()) throw NilObjectException("no receiver for " + handler->name);
    if (!caller) throw NilObjectException("no caller for " + handler->name);
    CheckParameterList(*handler, parameterList);
    return New<Delegate>(*handler, receiver, parameterList, caller);
}

Ref<Delegate> RuntimeCreateRoutineDelegate(const MemberRecord& routine, const std::string& parameterList) {
    RequireMainThread();
    CheckParameterList(routine, parameterList);
    return New<Delegate>(routine, Ref<Object>(), parameterList, CallHandlerMember, true);
}

void DispatchWithControl(Control& control, const Delegate& delegate, const std::vector<Value>&) {
    delegate.Invoke({Ref<Object>(RefTo(&control))});
}

void RuntimeAddEventHandler(const Ref<Control>& control, const std::string& event, EventDispatcher dispatcher,
                            const Ref<Delegate>& delegate) {
    RequireMainThread();
    if (delegate.IsNil()) throw NilObjectException("no delegate for " + event);
    if (!dispatcher) throw NilObjectException("no dispatch routine for " + event);
    control->AddEventHandler(event, dispatcher, delegate);
}

}  // namespace fw
