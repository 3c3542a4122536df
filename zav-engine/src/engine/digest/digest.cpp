#include "engine/digest/digest.hpp"

#include <openssl/evp.h>

#include <array>
#include <cstdlib>
#include <memory>

#include "base/json_escape.hpp"

namespace zav {
namespace {

struct DigestContextFree {
  void operator()(EVP_MD_CTX* context) const { EVP_MD_CTX_free(context); }
};

// The algorithm is looked up once and each thread keeps one context: the
// one-shot helpers look the algorithm up again for every digest.
const EVP_MD* sha256() {
  static const EVP_MD* algorithm = EVP_MD_fetch(nullptr, "SHA256", nullptr);
  return algorithm;
}

using DigestContext = std::unique_ptr<EVP_MD_CTX, DigestContextFree>;

EVP_MD_CTX* digest_context() {
  thread_local DigestContext context(EVP_MD_CTX_new());
  return context.get();
}

// The one a stream uses, so that one-shot digests may be taken while it is open.
EVP_MD_CTX* stream_context() {
  thread_local DigestContext context(EVP_MD_CTX_new());
  return context.get();
}

// SHA-256 cannot fail on a working library; a broken one would give a wrong
// digest, which must never be written.
void check(bool done) {
  if (!done) std::abort();
}

EVP_MD_CTX* started(EVP_MD_CTX* context) {
  check(sha256() != nullptr && context != nullptr &&
        EVP_DigestInit_ex2(context, sha256(), nullptr) == 1);
  return context;
}

std::string finished_digest(EVP_MD_CTX* context, std::string_view prefix) {
  std::array<unsigned char, EVP_MAX_MD_SIZE> digest{};
  unsigned int length = 0;
  check(EVP_DigestFinal_ex(context, digest.data(), &length) == 1 && length == 32);
  constexpr std::string_view HEX_DIGITS = "0123456789abcdef";
  std::string text;
  text.reserve(prefix.size() + 2 * length);
  text.append(prefix);
  for (unsigned int i = 0; i < length; ++i) {
    text.push_back(HEX_DIGITS[digest[i] >> 4]);
    text.push_back(HEX_DIGITS[digest[i] & 0x0F]);
  }
  return text;
}

}  // namespace

std::string prefixed_digest(std::string_view prefix, std::string_view bytes) {
  EVP_MD_CTX* context = started(digest_context());
  check(EVP_DigestUpdate(context, bytes.data(), bytes.size()) == 1);
  return finished_digest(context, prefix);
}

std::string parsed_digest(std::string_view frontmatter_json, std::string_view body) {
  DigestStream digest;
  digest.append("[");
  digest.append(frontmatter_json);
  digest.append(",\"");
  write_escaped_json_text(body, [&](std::string_view piece) { digest.append(piece); });
  digest.append("\"]");
  return digest.finish(PARSED_DIGEST_PREFIX);
}

// A thread has one stream open at a time.
DigestStream::DigestStream() {
  started(stream_context());
}

void DigestStream::send(std::string_view bytes) {
  check(EVP_DigestUpdate(stream_context(), bytes.data(), bytes.size()) == 1);
}

void DigestStream::append(std::string_view piece) {
  if (piece.size() > sizeof buffer_ - used_) {
    send(std::string_view(buffer_, used_));
    used_ = 0;
    if (piece.size() >= sizeof buffer_) {
      send(piece);
      return;
    }
  }
  piece.copy(buffer_ + used_, piece.size());
  used_ += piece.size();
}

std::string DigestStream::finish(std::string_view prefix) {
  send(std::string_view(buffer_, used_));
  used_ = 0;
  return finished_digest(stream_context(), prefix);
}

}  // namespace zav
