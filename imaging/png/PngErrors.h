#pragma once
// The PNG reader's and writer's exception.
#include "RuntimeErrors.h"

namespace imvexa {

// Every format violation the reader notices, and the writer's failures. The
// messages are fixed texts ("Not PNG Image", "not supprt Filter", ...).
class EQXPNGLE : public Exception {
public:
    using Exception::Exception;
};

}  // namespace imvexa
