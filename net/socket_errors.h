// Windows Sockets error texts and the socket layer's exception.
// Error numbers are always Winsock's, whatever the platform.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace ov {

// Fixed English text for a Winsock error code: "" for 0, "Other Winsock error (N)" for an
// unknown code.
std::string GetErrorDesc(std::int32_t error_code);

// Raised by a socket only when its RaiseExcept switch is on, and at start-up when the socket
// interface cannot be bound. what() is the full message; ErrorMessage is the bare error text.
class ESocketError : public std::runtime_error {
 public:
  ESocketError(std::int32_t error_code, const std::string& error_message,
               const std::string& message);
  // The socket layer's usual form: "TCP/IP Socket error <code>: <text>".
  static ESocketError FromCode(std::int32_t error_code, const std::string& error_text);

  std::int32_t ErrorCode;
  std::string ErrorMessage;
};

}  // namespace ov
