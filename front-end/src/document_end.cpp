#include "document_end.hpp"

#include "base/os_error.hpp"

namespace zav {

CommandResult end_document(WriteResult written, OutputStream& locked_stream) {
  if (written) written = locked_stream.flush();
  if (!written) return std::unexpected(CommandError{os_error_text(written.error().error_number)});
  return {};
}

}  // namespace zav
