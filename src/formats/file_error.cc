#include "formats/file_error.h"

#include <cerrno>

#include "formats/messages.h"
#include "ui/text_format.h"

namespace pellory {
namespace {

struct ErrnoEntry {
  int errorNumber;
  int index;            // into kFileErrorTexts, or -1
  const char* ownText;  // when index is -1
};

// Linux numbers on the left; the entries were chosen by meaning, not by number.
constexpr ErrnoEntry kErrnoTable[] = {
    {0, 0, nullptr},
    {EPERM, 37, nullptr},
    {ENOENT, 2, nullptr},
    {ESRCH, -1, kNoSuchProcessText},
    {EINTR, 39, nullptr},
    {EIO, 40, nullptr},
    {ENXIO, 41, nullptr},
    {E2BIG, 20, nullptr},
    {ENOEXEC, 21, nullptr},
    {EBADF, 6, nullptr},
    {ECHILD, 24, nullptr},
    {EAGAIN, 42, nullptr},
    {ENOMEM, 8, nullptr},
    {EACCES, 5, nullptr},
    {EFAULT, -1, kBadAddressText},
    {ENOTBLK, -1, kBlockDeviceNeededText},
    {EBUSY, 44, nullptr},
    {EEXIST, 35, nullptr},
    {EXDEV, 22, nullptr},
    {ENODEV, -1, kNoSuchDeviceText},
    {ENOTDIR, 3, nullptr},
    {EISDIR, -1, kIsDirectoryText},
    {EINVAL, 19, nullptr},
    {ENFILE, 23, nullptr},
    {EMFILE, 4, nullptr},
    {ENOTTY, -1, kNotATerminalText},
    {ETXTBSY, -1, kTextBusyText},
    {EFBIG, -1, kFileTooLargeText},
    {ENOSPC, 28, nullptr},
    {ESPIPE, 29, nullptr},
    {EROFS, 30, nullptr},
    {EMLINK, -1, kTooManyLinksText},
    {EPIPE, 32, nullptr},
    {EDOM, 33, nullptr},
    {ERANGE, 34, nullptr},
    {EDEADLK, 36, nullptr},
    {ENAMETOOLONG, -1, kNameTooLongText},
    {ENOLCK, -1, kNoLocksText},
    {ELOOP, -1, kSymlinkLoopText},
    {EOVERFLOW, -1, kValueOverflowText},
    {EOPNOTSUPP, -1, kNotSupportedText},
    {ESTALE, -1, kStaleHandleText},
    {EDQUOT, -1, kQuotaExceededText},
    {kErrorNotRegularFile, -1, kNotRegularFileText},
    {kErrorFileShrunk, -1, kFileShrunkText},
};

const ErrnoEntry* FindEntry(int errorNumber) {
  for (const ErrnoEntry& entry : kErrnoTable) {
    if (entry.errorNumber == errorNumber) return &entry;
  }
  return nullptr;
}

}  // namespace

int FileErrorTextIndex(int errorNumber) {
  const ErrnoEntry* entry = FindEntry(errorNumber);
  return entry != nullptr ? entry->index : -1;
}

std::string FileErrorText(int errorNumber) {
  const ErrnoEntry* entry = FindEntry(errorNumber);
  if (entry == nullptr) return StrFormat(kUnknownErrorNumberText, errorNumber);
  if (entry->index >= 0) return kFileErrorTexts[entry->index];
  return entry->ownText;
}

std::string FileErrorMessage(const std::string& path, int errorNumber) {
  return kFileErrorPrefix + path + "\n\n" + FileErrorText(errorNumber);
}

void ReportFileError(MessageBoxes& boxes, const std::string& path, int errorNumber) {
  boxes.PlainBox(FileErrorMessage(path, errorNumber));
}

void ReportFileError(MessageBoxes& boxes, const std::string& path) {
  ReportFileError(boxes, path, errno);
}

void ReportFileError(MessageBoxes& boxes, const AppSettings& settings) {
  ReportFileError(boxes, settings.DataFilePath, errno);
}

}  // namespace pellory
