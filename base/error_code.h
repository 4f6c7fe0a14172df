// ErrorCode: a plain signed integer thrown as an exception deep inside a unit
// of work and caught where that unit ends (throw ErrorCode(kErrorMalformed);
// catch (ErrorCode code)). A positive value is the system's socket error;
// the HTTP client also uses minus an HTTP status.
#pragma once

#include <cstdint>

typedef int32_t ErrorCode;

// A connection could not be made, the peer closed it, a name did not resolve,
// a proxy refused, or too little disk space.
const ErrorCode kErrorConnection = -1;
// A send or receive failed after a local cancel; a refusal by the update service.
const ErrorCode kErrorCancelled = -2;
// Malformed data, a protocol error, a failed file operation or allocation, no socket.
const ErrorCode kErrorMalformed = -3;
// No complete text line within 30 000 ms.
const ErrorCode kErrorLineTimeout = -255;
