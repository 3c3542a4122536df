#include "engine/links/link_resolution.hpp"

#include <algorithm>
#include <unordered_map>

#include "base/path_pieces.hpp"
#include "base/text.hpp"
#include "engine/records/bundle_path.hpp"
#include "engine/records/catalogue.hpp"

namespace zav {
namespace {

// The concepts by the path key of their file; a later concept with an equal
// path replaces an earlier one.
using ConceptIndex = std::unordered_map<std::string, std::string, TextHash, std::equal_to<>>;

ConceptIndex build_concept_index(std::string_view root, const std::vector<Concept>& concepts) {
  ConceptIndex index;
  index.reserve(concepts.size());
  for (const Concept& concept_record : concepts) {
    index.insert_or_assign(path_key(join_path(root, concept_record.path)),
                           concept_record.concept_id);
  }
  return index;
}

// "%" and two hex digits become that byte; everything else is copied. One pass,
// so decoded bytes are never decoded again.
void percent_decode(std::string_view text, std::string& bytes) {
  bytes.clear();
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size()) {
      int high = hex_digit_value(text[i + 1]), low = hex_digit_value(text[i + 2]);
      if (high >= 0 && low >= 0) {
        bytes.push_back(static_cast<char>(high * 16 + low));
        i += 2;
        continue;
      }
    }
    bytes.push_back(text[i]);
  }
}

bool has_scheme(std::string_view path_part) {
  std::string_view head = path_part.substr(0, path_part.find('/'));
  return head.find(':') != std::string_view::npos;
}

// The key of the directory that holds the file at `path`: its pieces less the last.
std::string directory_key(std::string_view path) {
  std::string key = path_key(path);
  key.resize(std::max<std::size_t>(key.rfind('/'), 1));
  return key;
}

// `relative` taken piece by piece onto the directory key `base`, into
// `normalized`: "." and empty pieces do nothing, ".." removes the last piece
// (and stays at "/"). The result is a key: "/" and the pieces, with no
// trailing "/".
void normalize_onto(std::string_view base, std::string_view relative, std::string& normalized) {
  normalized.assign(base == "/" ? std::string_view() : base);
  std::size_t pos = 0;
  while (pos <= relative.size()) {
    std::size_t end = std::min(relative.find('/', pos), relative.size());
    std::string_view piece = relative.substr(pos, end - pos);
    if (piece == "..") {
      std::size_t slash = normalized.rfind('/');
      normalized.resize(slash == std::string::npos ? 0 : slash);
    } else if (!piece.empty() && piece != ".") {
      normalized.append("/").append(piece);
    }
    pos = end + 1;
  }
  if (normalized.empty()) normalized.push_back('/');
}

// True when the key `target` names `root_key` or lies below it.
bool key_within(std::string_view target, std::string_view root_key) {
  if (root_key == "/") return true;
  return target.starts_with(root_key) &&
         (target.size() == root_key.size() || target[root_key.size()] == '/');
}

// Resolves destinations one after another into the same texts, so that a
// link costs no allocation once they have grown.
class TargetResolver {
 public:
  explicit TargetResolver(std::string_view root_key) : root_key_(root_key) {}

  // The target of `destination` written in a file of `source_directory`,
  // already in its key form, or nothing; the view lasts until the next call.
  std::optional<std::string_view> resolve(std::string_view source_directory,
                                          std::string_view destination) {
    std::string_view path_part = destination.substr(0, destination.find_first_of("?#"));
    if (path_part.empty() || !has_markdown_extension(path_part)) return std::nullopt;
    if (path_part.starts_with("//") || has_scheme(path_part)) return std::nullopt;
    // Without a "%" the text is already its own decoding, and valid UTF-8.
    std::string_view decoded = path_part;
    if (path_part.find('%') != std::string_view::npos) {
      percent_decode(path_part, decoded_);
      if (!is_valid_utf8(decoded_)) return std::nullopt;
      decoded = decoded_;
    }
    normalize_onto(decoded.starts_with('/') ? root_key_ : source_directory, decoded, target_);
    if (!key_within(target_, root_key_)) return std::nullopt;
    return target_;
  }

 private:
  std::string_view root_key_;
  std::string decoded_;
  std::string target_;
};

}  // namespace

void KnownPaths::insert(std::string_view path) {
  keys_.insert(path_key(path));
}

std::optional<std::string> resolve_link_target(std::string_view root, std::string_view source_path,
                                               std::string_view destination) {
  std::string root_key = path_key(root);
  TargetResolver resolver(root_key);
  std::optional<std::string_view> target =
      resolver.resolve(directory_key(source_path), destination);
  if (!target) return std::nullopt;
  return std::string(*target);
}

void resolve_local_links(std::string_view root, const std::vector<Concept>& concepts,
                         std::vector<LinkSource>& link_sources, const KnownPaths& known_paths,
                         std::vector<Link>& links, std::vector<Diagnostic>& diagnostics) {
  if (concepts.empty()) return;
  ConceptIndex index = build_concept_index(root, concepts);
  std::string root_key = path_key(root);
  TargetResolver resolver(root_key);
  std::size_t destinations = 0;
  for (const LinkSource& source : link_sources) destinations += source.links.size();
  links.reserve(links.size() + destinations);
  for (LinkSource& source : link_sources) {
    const Concept& linking = concepts[source.concept_index];
    std::string source_directory = directory_key(source.absolute_path);
    for (std::string& destination : source.links) {
      std::optional<std::string_view> target = resolver.resolve(source_directory, destination);
      if (!target) continue;
      Link& link = links.emplace_back();
      link.source_id = linking.concept_id;
      link.exists = known_paths.contains_key(*target);
      if (link.exists && !is_reserved_file_name(file_name(*target))) {
        if (auto found = index.find(*target); found != index.end()) link.target_id = found->second;
      }
      link.origin = "body";
      if (!link.exists) {
        diagnostics.push_back(
            Diagnostic::new_(catalogue::ZAV101, catalogue::WARNING, linking.path,
                             std::string(catalogue::UNRESOLVED_LINK_PREFIX).append(destination)));
      }
      link.raw_target = std::move(destination);
    }
  }
}

}  // namespace zav
