#pragma once

// Why a request for weather failed, for the person at the window: the kind, for the caller's
// choices, and a message written for a person. Shared by the client, the answers' reader and the
// network module, which needs nothing else of them.

#include <QString>

namespace orvane::weather {

// What went wrong. Each kind has its own message, written for the person at the window.
enum class FailureKind {
    InvalidRequest,    // an address, place or date range that cannot be asked for
    NoNetwork,         // the computer reaches no network
    ConnectionRefused, // the host answered, but nothing listens at that port
    HostNotFound,      // the host name does not resolve
    ConnectionFailed,  // the connection broke or could not be secured
    Timeout,           // no whole answer in the time allowed
    RateLimited,       // HTTP 429: the free endpoint's limit is reached
    HttpError,         // any other HTTP error, with Open-Meteo's reason when it gives one
    NotJson,           // the body is not JSON
    ServiceError,      // Open-Meteo's error body: {"error": true, "reason": "..."}
    BadData,           // JSON, but not what was asked for, or values the planner cannot read
    Unavailable,       // the program's own network module is missing or damaged
};

struct Failure {
    FailureKind kind = FailureKind::BadData;
    QString message;
};

} // namespace orvane::weather
