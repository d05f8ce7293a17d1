#pragma once
// The exceptions of the DIB library. Their messages name the class and the
// operation that failed ("TZdDIB.SetWidth: Invalid Width").
#include "RuntimeErrors.h"

namespace imvexa {

class EZdDIBError : public Exception {
public:
    using Exception::Exception;
};

// Malformed pixel data or header, an unsupported bit count, an invalid pixel format.
class EZdDIBInvalidDIB : public EZdDIBError {
public:
    using EZdDIBError::EZdDIBError;
};

// A stream that is not a BMP file.
class EZdDIBInvalidDIBFile : public EZdDIBError {
public:
    using EZdDIBError::EZdDIBError;
};

// An invalid size or bit count given to an image.
class EZdDIBInvalidDIBPara : public EZdDIBError {
public:
    using EZdDIBError::EZdDIBError;
};

// An operation applied to a bit count or compression it does not handle.
class EZdDIBBadDIBType : public EZdDIBError {
public:
    using EZdDIBError::EZdDIBError;
};

// A palette handle that yields no entries.
class EZdDIBInvalidPalette : public EZdDIBError {
public:
    using EZdDIBError::EZdDIBError;
};

// Run-length output that would be larger than the uncompressed pixels.
class EZdDIBCompressionFailed : public EZdDIBError {
public:
    using EZdDIBError::EZdDIBError;
};

// A canvas asked for on an image whose pixels are not in a shared-memory mapping.
class EZdDIBCanvasFailed : public EZdDIBError {
public:
    using EZdDIBError::EZdDIBError;
};

}  // namespace imvexa

// Internal invariants of the library.
#define ZDDIB_ASSERT(cond, text) IMVEXA_ASSERT(cond, text, "ZdDIB")
