#include "platform/desktop/filesystem.h"

#include <filesystem>
#include <system_error>

#include "platform/automation/error.h"

namespace svx {

int64_t FileSystemFile::Size() const {
  std::error_code ec;
  const auto size = std::filesystem::file_size(path_, ec);
  if (ec) raise(err::FileNotFound);
  return static_cast<int64_t>(size);
}

bool FileSystemObject::FileExists(const BStr& path) const {
  std::error_code ec;
  return !path.empty() && path.find(u'\0') == BStr::npos && std::filesystem::is_regular_file(utf8(path), ec);
}

FileSystemFile FileSystemObject::GetFile(const BStr& path) const {
  if (!FileExists(path)) raise(err::FileNotFound);
  return FileSystemFile(utf8(path));
}

}  // namespace svx
