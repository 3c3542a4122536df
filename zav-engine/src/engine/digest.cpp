#include "engine/digest.hpp"

#include <openssl/evp.h>

#include <array>
#include <cstdlib>
#include <memory>

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

EVP_MD_CTX* digest_context() {
  thread_local std::unique_ptr<EVP_MD_CTX, DigestContextFree> context(EVP_MD_CTX_new());
  return context.get();
}

}  // namespace

std::string prefixed_digest(std::string_view prefix, std::string_view bytes) {
  std::array<unsigned char, EVP_MAX_MD_SIZE> digest{};
  unsigned int length = 0;
  EVP_MD_CTX* context = digest_context();
  // SHA-256 cannot fail on a working library; a broken one would give a
  // wrong digest, which must never be written.
  if (sha256() == nullptr || context == nullptr ||
      EVP_DigestInit_ex2(context, sha256(), nullptr) != 1 ||
      EVP_DigestUpdate(context, bytes.data(), bytes.size()) != 1 ||
      EVP_DigestFinal_ex(context, digest.data(), &length) != 1 || length != 32) {
    std::abort();
  }
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

}  // namespace zav
