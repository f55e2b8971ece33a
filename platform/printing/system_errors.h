#pragma once
// The calling thread's last-error code (SetLastError/GetLastError) and the system's texts for the codes.
// On Windows these are the system's own (the codes below have the system's values, and the texts come
// from its message table in UTF-8). Elsewhere the last error is ours and the texts are those of the codes
// that the printing layers set, as a Chinese system words them. Include this header before <windows.h>,
// whose macros share its names.

#include <cstdint>
#include <optional>
#include <string>

namespace velto::platform {

enum SystemError : uint32_t {
  ERROR_SUCCESS = 0,
  ERROR_INVALID_FUNCTION = 1,
  ERROR_FILE_NOT_FOUND = 2,
  ERROR_PATH_NOT_FOUND = 3,
  ERROR_ACCESS_DENIED = 5,
  ERROR_INVALID_HANDLE = 6,
  ERROR_NOT_ENOUGH_MEMORY = 8,
  ERROR_WRITE_FAULT = 29,
  ERROR_INVALID_PARAMETER = 87,
  ERROR_INSUFFICIENT_BUFFER = 122,
  ERROR_MOD_NOT_FOUND = 126,
  ERROR_PROC_NOT_FOUND = 127,
  ERROR_BUSY = 170,
  ERROR_ALREADY_EXISTS = 183,
  ERROR_SERVICE_REQUEST_TIMEOUT = 1053,
  ERROR_SERVICE_ALREADY_RUNNING = 1056,
  ERROR_SERVICE_DOES_NOT_EXIST = 1060,
  ERROR_SERVICE_CANNOT_ACCEPT_CTRL = 1061,
  ERROR_SERVICE_NOT_ACTIVE = 1062,
  RPC_S_SERVER_UNAVAILABLE = 1722,
  ERROR_UNKNOWN_PORT = 1796,
  ERROR_UNKNOWN_PRINTER_DRIVER = 1797,
  ERROR_UNKNOWN_PRINTPROCESSOR = 1798,
  ERROR_INVALID_PRINTER_NAME = 1801,
  ERROR_PRINTER_ALREADY_EXISTS = 1802,
  ERROR_INVALID_DATATYPE = 1804,
  ERROR_INVALID_ENVIRONMENT = 1805,
  ERROR_INVALID_LEVEL = 124,
  ERROR_PRINTER_DRIVER_IN_USE = 3001,
  ERROR_PRINT_PROCESSOR_ALREADY_INSTALLED = 3005,
};

void SetLastError(uint32_t code);
uint32_t GetLastError();

// The system's message for `code`, without the line break the message table ends it with; no value for
// a code the message table does not hold (FormatMessage returning 0).
std::optional<std::string> FormatSystemMessage(uint32_t code);

}  // namespace velto::platform
