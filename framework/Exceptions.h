#pragma once
// The framework's exceptions. Everything the layer raises derives from
// RuntimeException, so a catch-all of the program takes every one of them.
#include <stdexcept>
#include <string>

namespace fw {

class RuntimeException : public std::runtime_error {
public:
    explicit RuntimeException(const std::string& message = "RuntimeException")
        : std::runtime_error(message) {}
};

// Raised when a member of Nil is used.
class NilObjectException : public RuntimeException {
public:
    explicit NilObjectException(const std::string& message = "NilObjectException")
        : RuntimeException(message) {}
};

// Raised by every window, control, dialog and alert operation off the main thread.
class ThreadAccessingUIException : public RuntimeException {
public:
    explicit ThreadAccessingUIException(const std::string& message = "ThreadAccessingUIException")
        : RuntimeException(message) {}
};

// The system refused a file operation: no space, no permission, missing parent...
// It carries the system's error number, so that a caller can tell a refusal
// for want of a resource (no handle, no space) from one for the file itself.
class IOException : public RuntimeException {
public:
    explicit IOException(const std::string& message = "IOException", int error = 0)
        : RuntimeException(message), error_(error) {}
    // The system's error number (errno); 0 when the system did not refuse.
    int ErrorNumber() const { return error_; }

private:
    int error_;
};

// A type-tested cast found an object of another class.
class IllegalCastException : public RuntimeException {
public:
    explicit IllegalCastException(const std::string& message = "IllegalCastException")
        : RuntimeException(message) {}
};

// A design-time property record that does not decode.
class MalformedRecordException : public RuntimeException {
public:
    explicit MalformedRecordException(const std::string& message = "MalformedRecordException")
        : RuntimeException(message) {}
};

// An argument out of the range an operation accepts.
class OutOfBoundsException : public RuntimeException {
public:
    explicit OutOfBoundsException(const std::string& message = "OutOfBoundsException")
        : RuntimeException(message) {}
};

}  // namespace fw
