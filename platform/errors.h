// Errors raised by file operations. Each carries the text the user is shown.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace tolva {

// Base of every error that ends an operation and reaches the error report.
class Error : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A file that cannot be opened (missing, denied, held by another program, not a regular file).
class FileOpenError : public Error {
 public:
  explicit FileOpenError(const std::string& path);
};

// A text that does not hold an integer.
class ConversionError : public Error {
 public:
  explicit ConversionError(std::string_view text);
};

// A failed read, write, create or close, with its code and the message of that code.
class IoError : public Error {
 public:
  explicit IoError(int code);
  IoError(int code, const std::string& message);
  int code() const { return code_; }

 private:
  int code_;
};

// I/O error codes with a message of their own.
inline constexpr int kIoFileNotFound = 2;
inline constexpr int kIoPathNotFound = 3;
inline constexpr int kIoTooManyOpenFiles = 4;
inline constexpr int kIoAccessDenied = 5;
inline constexpr int kIoReadPastEnd = 100;
inline constexpr int kIoDiskFull = 101;
inline constexpr int kIoInvalidNumber = 106;

std::string IoErrorMessage(int code);

// The I/O error of a failed system call: file not found, path not found, too many open files and
// access denied become codes 2 to 5; any other errno keeps its own number and the generic
// "I/O エラー (n)" text, even where that number equals one of the program's own codes.
IoError IoErrorFromErrno(int err);

}  // namespace tolva
