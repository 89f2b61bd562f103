#pragma once
// The engine's error kinds. Messages are cp1252 text, as the engine keeps all its text;
// what() gives the same message in UTF-8 for the C++ world (logs, terminals).
#include <cstdint>
#include <stdexcept>
#include <string>

namespace tessaly {

class EngineError : public std::exception {
public:
    explicit EngineError(std::string message);
    const std::string& Message() const { return message_; }  // cp1252
    const char* what() const noexcept override { return utf8_.c_str(); }

private:
    std::string message_;
    std::string utf8_;
};

// The abort kind: an operation that stops silently after its own message was shown.
class EAbort : public EngineError {
public:
    EAbort() : EngineError("Operation aborted") {}
};

class EReadError : public EngineError {
public:
    EReadError() : EngineError("Stream read error") {}
    explicit EReadError(std::string message) : EngineError(std::move(message)) {}
};

class EWriteError : public EngineError {
public:
    EWriteError() : EngineError("Stream write error") {}
    explicit EWriteError(std::string message) : EngineError(std::move(message)) {}
};

class EFileError : public EngineError {
public:
    using EngineError::EngineError;
};

class EListError : public EngineError {
public:
    explicit EListError(int64_t index);
};

class EConvertError : public EngineError {
public:
    using EngineError::EngineError;
};

class EZeroDivide : public EngineError {
public:
    EZeroDivide() : EngineError("Division by zero") {}
};

class EMathError : public EngineError {
public:
    EMathError() : EngineError("Invalid floating point operation") {}
    using EngineError::EngineError;
};

// Replaces each "%s" and "%d" of a cp1252 pattern by the next argument, in order;
// "%%" gives one "%". Missing arguments leave the placeholder as it is.
std::string FormatMessage(const std::string& pattern, std::initializer_list<std::string> args);

}  // namespace tessaly
