#include "engine/source_reader.hpp"

#include <fcntl.h>
#include <unistd.h>
#include <cerrno>
#include <new>
#include <stdexcept>

#include "engine/bundle_path.hpp"
#include "engine/catalogue.hpp"
#include "zav/os_error.hpp"
#include "zav/read_descriptor.hpp"
#include "zav/text.hpp"

namespace zav {
namespace {

struct FileCloser {
  int fd;
  ~FileCloser() { ::close(fd); }
};

// The file's bytes, or the message of the failure.
std::variant<std::string, ReadFailure> read_file(const std::string& path) {
  // O_NONBLOCK: a FIFO put in a file's place after discovery must not block.
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return ReadFailure{os_error_text(errno)};
  FileCloser closer{fd};
  try {
    auto bytes = read_descriptor(fd);
    if (!bytes) return ReadFailure{os_error_text(bytes.error())};
    return std::move(*bytes);
  } catch (const std::bad_alloc&) {
    return ReadFailure{std::string(catalogue::OUT_OF_MEMORY)};
  } catch (const std::length_error&) {
    return ReadFailure{std::string(catalogue::OUT_OF_MEMORY)};
  }
}

}  // namespace

SourceFile read_source_file(std::string_view root, std::string_view absolute_path) {
  SourceFile file;
  file.relative_path = bundle_relative_path(root, absolute_path);
  file.absolute_path = std::string(absolute_path);
  file.content = read_file(file.absolute_path);
  if (auto* text = std::get_if<std::string>(&file.content); text && !is_valid_utf8(*text)) {
    file.content = ReadFailure{std::string(catalogue::NOT_UTF8)};
  }
  return file;
}

}  // namespace zav
