#pragma once
// The JPEG decoder's failures.
#include "RuntimeErrors.h"

namespace imvexa {

// A failure of the library ("JPEG エラー #n" with the library's message code
// n) or a picture too large to decode.
class EJPEG : public EInvalidGraphic {
public:
    using EInvalidGraphic::EInvalidGraphic;

    static EJPEG FromLibraryCode(int code);
};

}  // namespace imvexa
