// Compact JSON written piece by piece into a locked output stream: no
// whitespace, members in the caller's order, strings with the minimal escapes;
// and the end of an engine command's document.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <utility>

#include "command_error.hpp"
#include "process.hpp"

namespace zav {

// Hands pieces to the stream. The first failed write ends the document:
// every later piece is dropped and the failure is kept.
class JsonWriter {
 public:
  explicit JsonWriter(OutputStream& stream) : stream_(stream) {}

  void piece(std::string_view bytes) {
    if (failure_) return;
    if (auto written = stream_.write_without_line_feed(bytes); !written) {
      failure_ = written.error();
    }
  }
  // True when `size` bytes of pieces would all go into the stream's buffer
  // without sending anything.
  bool fits(std::size_t size) const { return stream_.free_space() >= size; }
  void unsigned_integer(std::uint64_t value);
  void boolean(bool value) { piece(value ? "true" : "false"); }

  bool failed() const { return failure_.has_value(); }
  WriteResult result() const;

 private:
  OutputStream& stream_;
  std::optional<WriteError> failure_;
};

// Writes `text` as a JSON string: '"' and '\' escaped with a backslash, the
// two-character escapes \b \t \n \f \r, \u00xx (lower-case hex) for every
// other byte below 0x20; every other byte unchanged. Each run of bytes that
// needs no escape goes to the stream as one piece.
void write_json_string(JsonWriter& out, std::string_view text);

// One object being written: opened on construction, "," before every member
// but the first.
class JsonObject {
 public:
  explicit JsonObject(JsonWriter& out) : out_(out) { out_.piece("{"); }
  JsonObject(const JsonObject&) = delete;
  JsonObject& operator=(const JsonObject&) = delete;

  // Writes the separator, the key and ":"; the caller writes the value.
  JsonWriter& member(std::string_view key);
  void string_member(std::string_view key, std::string_view value) {
    write_json_string(member(key), value);
  }
  void boolean_member(std::string_view key, bool value) { member(key).boolean(value); }
  void close() { out_.piece("}"); }

 private:
  JsonWriter& out_;
  bool first_ = true;
};

// Writes "[", each element through `write_element(out, element)` with ","
// between them, then "]". Stops early once a write has failed.
template <typename Range, typename WriteElement>
void write_json_array(JsonWriter& out, const Range& elements, WriteElement write_element) {
  out.piece("[");
  bool first = true;
  for (const auto& element : elements) {
    if (out.failed()) return;
    if (!first) out.piece(",");
    first = false;
    write_element(out, element);
  }
  out.piece("]");
}

// Flushes the stream after a written document, so that a failure on its last
// buffered bytes is noticed too. The first failure becomes the command's error
// (the operating-system error text); after a failed write nothing is flushed.
CommandResult end_document(WriteResult written, OutputStream& locked_stream);

// Keeps what a command leaves behind until the process ends, which it does
// right after the command: the system takes the memory back at once, where
// destroying a large bundle record by record costs a good part of a load.
// A process runs one command, which calls it once for each kind of value.
template <typename T>
void keep_until_exit(T&& value) {
  static T* const kept = new T(std::move(value));
  (void)kept;
}

}  // namespace zav
