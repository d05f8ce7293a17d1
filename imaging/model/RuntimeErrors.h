#pragma once
// The runtime's own exception family. Components derive their exception
// classes from Exception; the COM and C export boundaries catch Exception
// (and std::exception) and turn it into a result code.
#include <stdexcept>
#include <string>

namespace imvexa {

class Exception : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Memory could not be allocated.
class EOutOfMemory : public Exception {
public:
    using Exception::Exception;
};

// The platform refused a resource (a mapping, palette, device context, bitmap).
class EOutOfResources : public EOutOfMemory {
public:
    using EOutOfMemory::EOutOfMemory;
};

// A value outside the range of its type or argument.
class ERangeError : public Exception {
public:
    ERangeError() : Exception("Range check error") {}
};

// One graphic cannot be assigned to another.
class EConvertError : public Exception {
public:
    using Exception::Exception;
};

// Data of the wrong kind given to a graphic (e.g. an unknown clipboard format).
class EInvalidGraphic : public Exception {
public:
    using Exception::Exception;
};

// A stream ended before the bytes asked for, or a file could not be opened.
class EReadError : public Exception {
public:
    using Exception::Exception;
};
class EWriteError : public Exception {
public:
    using Exception::Exception;
};
class EFOpenError : public Exception {
public:
    using Exception::Exception;
};

// A broken internal invariant. The message combines the assertion text, the
// source unit and the line: "text (Unit, line N)".
class EAssertionFailed : public Exception {
public:
    EAssertionFailed(const std::string& text, const char* unit, int line)
        : Exception(text + " (" + unit + ", line " + std::to_string(line) + ")") {}
};

}  // namespace imvexa

// Checks an internal invariant; on failure raises EAssertionFailed naming the unit.
#define IMVEXA_ASSERT(cond, text, unit) \
    do { if (!(cond)) throw ::imvexa::EAssertionFailed((text), (unit), __LINE__); } while (0)
