#include "platform/errors.h"

#include <cerrno>

namespace tolva {

FileOpenError::FileOpenError(const std::string& path)
    : Error("ファイル " + path + " は開けません") {}

ConversionError::ConversionError(std::string_view text)
    : Error("'" + std::string(text) + "' は整数ではありません") {}

IoError::IoError(int code) : Error(IoErrorMessage(code)), code_(code) {}

IoError::IoError(int code, const std::string& message) : Error(message), code_(code) {}

namespace {
std::string GenericIoMessage(int code) { return "I/O エラー (" + std::to_string(code) + ")"; }
}  // namespace

std::string IoErrorMessage(int code) {
  switch (code) {
    case kIoFileNotFound:
      return "ファイルが見つかりません";
    case kIoPathNotFound:
      return "不正なファイル名です";
    case kIoTooManyOpenFiles:
      return "オープンしたファイルが多すぎます";
    case kIoAccessDenied:
      return "ファイルへのアクセスが拒否されました";
    case kIoReadPastEnd:
      return "ファイルの末尾以降を読み込みました";
    case kIoDiskFull:
      return "ディスクがいっぱいです";
    case kIoInvalidNumber:
      return "入力値が数値ではありません";
    default:
      return GenericIoMessage(code);
  }
}

namespace {
// The code with a message of its own for the common failures, 0 for any other errno.
int MappedCode(int err) {
  switch (err) {
    case ENOENT:
      return kIoFileNotFound;
    case ENOTDIR:
    case ENAMETOOLONG:
      return kIoPathNotFound;
    case EMFILE:
    case ENFILE:
      return kIoTooManyOpenFiles;
    case EACCES:
    case EPERM:
    case EROFS:
      return kIoAccessDenied;
    default:
      return 0;
  }
}
}  // namespace

IoError IoErrorFromErrno(int err) {
  const int mapped = MappedCode(err);
  return mapped != 0 ? IoError(mapped) : IoError(err, GenericIoMessage(err));
}

}  // namespace tolva
