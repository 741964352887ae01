#pragma once
// The steps of a request that can fail, and the message each one writes.
#include "text/text.h"

namespace qinghe {

// In the order of the steps that produce them.
enum class Failure {
    NoService,
    BadUrl,
    Session,
    Timeouts,
    Connection,
    Request,
    Credentials,
    Certificate,
    Redirects,
    Headers,
    Send,
    NoResponse,
    Read,
    Cancelled  // the caller asked to stop
};

Text message_of(Failure failure);

}  // namespace qinghe
