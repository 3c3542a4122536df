// Discovery on real trees: which Markdown files a bundle has, in which
// order, and the messages that end a load.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <optional>

#include "engine/discover/discovery.hpp"
#include "ordinary_user.hpp"
#include "quick_bound.hpp"
#include "temp_tree.hpp"

namespace zav {
namespace {

using test::TempTree;

// The kept files relative to the root, or the message with the root's path
// written as ROOT.
std::vector<std::string> discover(const TempTree& tree, const std::vector<std::string>& excludes) {
  auto files = discover_markdown_files(tree.root(), excludes);
  if (!files) {
    std::string message = files.error();
    for (std::size_t at = message.find(tree.root()); at != std::string::npos;
         at = message.find(tree.root())) {
      message.replace(at, tree.root().size(), "ROOT");
    }
    return {"error: " + message};
  }
  std::vector<std::string> relative;
  for (const std::string& file : *files) {
    EXPECT_EQ(file.substr(0, tree.root().size() + 1), tree.root() + "/");
    relative.push_back(file.substr(tree.root().size() + 1));
  }
  return relative;
}

struct Case {
  const char* name;
  std::optional<std::string> ignore_file;
  std::vector<std::string> excludes;
  std::vector<std::string> files;
  std::vector<std::string> expected;
};

TEST(Discovery, KeepsWhatTheRulesAndNamesAllow) {
  const std::vector<Case> cases = {
      {"no Markdown files", std::nullopt, {}, {"notes.txt"}, {}},
      {"names ending in .md in any case",
       std::nullopt,
       {},
       {"README.MD", "x.Md", ".md", "a.markdown", "a.md.txt", "a.mdx", "dir.md/z.md"},
       {".md", "README.MD", "dir.md/z.md", "x.Md"}},
      {"pruned directories below the root",
       std::nullopt,
       {},
       {"node_modules/x.md", "sub/.git/x.md", ".venv/lib/y.md", ".git-old/x.md",
        "Node_Modules/x.md", ".notes.md", "a/.pytest_cache/c.md", ".ty_cache/d.md",
        ".mypy_cache/e.md", ".ruff_cache/f.md"},
       {".git-old/x.md", ".notes.md", "Node_Modules/x.md"}},
      {"directory rule at any depth",
       "archive/\n",
       {},
       {"archive/a.md", "x/archive/b.md", "archive.md"},
       {"archive.md"}},
      {"re-included file below an ignored directory",
       "archive/\n!archive/keep.md\n",
       {},
       {"archive/keep.md", "archive/other.md", "sub/archive/keep.md"},
       {"archive/keep.md"}},
      {"exclude re-includes over the file",
       "*.md\n",
       {"!x.md"},
       {"a.md", "x.md", "d/x.md"},
       {"d/x.md", "x.md"}},
      {"exclude ignores over the file", "!a.md\n", {"*.md"}, {"a.md", "d/a.md"}, {}},
      {"anchored name", "/top.md\n", {}, {"top.md", "d/top.md"}, {"d/top.md"}},
      {"name at any depth", "top.md\n", {}, {"top.md", "d/top.md"}, {}},
      {"star stays in one directory",
       "docs/*.md\n",
       {},
       {"docs/a.md", "docs/sub/a.md", "x/docs/a.md"},
       {"docs/sub/a.md", "x/docs/a.md"}},
      {"everything below a directory",
       "docs/**\n",
       {},
       {"docs/a.md", "docs/s/b.md", "docs.md"},
       {"docs.md"}},
      {"any directory, the root included", "*/\n", {}, {"a.md", "d/b.md"}, {}},
      {"a lone slash matches the root", "/\n", {}, {"a.md", "d/b.md"}, {}},
      {"a lone ! re-includes everything", "*.md\n!\n", {}, {"a.md", "d/b.md"}, {"a.md", "d/b.md"}},
      {"the file's own level decides first",
       "d/\n!d/k.md\n",
       {},
       {"d/k.md", "d/e/k.md", "d/x.md"},
       {"d/k.md"}},
      {"the nearest directory decides next",
       "d\n!d/*\n",
       {},
       {"d/a.md", "d/e/b.md"},
       {"d/a.md", "d/e/b.md"}},
      {"directories re-included again",
       "*\n!*/\n!*.md\n",
       {},
       {"a.md", "d/b.md", "d/e/c.md"},
       {"a.md", "d/b.md", "d/e/c.md"}},
      {"byte-order marks before the first line",
       "\xEF\xBB\xBF\xEF\xBB\xBF*.md\n",
       {},
       {"a.md", "b/c.md"},
       {}},
      {"comments, blank lines and escapes",
       "# c\n\n   \n\\#x.md\nfoo.md   \n",
       {},
       {"#x.md", "foo.md", "keep.md"},
       {"keep.md"}},
      {"CR LF line ends and an escaped trailing space",
       "x.md\r\na\\ .md\r\n",
       {},
       {"x.md", "a .md", "a.md"},
       {"a.md"}},
      {"only the root's .zavignore counts",
       std::nullopt,
       {},
       {"sub/.zavignore", "sub/a.md"},
       {"sub/a.md"}},
      {"piece-wise order",
       std::nullopt,
       {},
       {"a.md", "a-b.md", "a/x.md", "B.md"},
       {"B.md", "a/x.md", "a-b.md", "a.md"}},
      {"directory names need not be UTF-8, file names must",
       std::nullopt,
       {},
       {"x\xFF/c.md", "\xFF.md", "ok.md"},
       {"ok.md", "x\xFF/c.md"}},
      {"bad lines, each with its number",
       "ok.md\n\n[z-a]\n# fine\nfoo\\\n",
       {},
       {"a.md"},
       {"error: ROOT/.zavignore: line 3: error parsing glob '[z-a]': invalid range; 'z' > 'a'\n"
        "ROOT/.zavignore: line 5: error parsing glob 'foo\\': dangling '\\'"}},
      {"a line that is not UTF-8 ends the reading",
       "a.md\n\xFF.md\n[z-a]\n",
       {},
       {"a.md"},
       {"error: ROOT/.zavignore: line 2: stream did not contain valid UTF-8"}},
      {"bad excludes: the first alone",
       std::nullopt,
       {"[z-a]", "foo\\"},
       {"a.md"},
       {"error: error parsing glob '[z-a]': invalid range; 'z' > 'a'"}},
      {"bad excludes after good lines",
       "!a.md\n",
       {"{a", "[z-a]"},
       {"a.md"},
       {"error: error parsing glob '{a': unclosed alternate group; missing '}' (maybe escape '{' "
        "with '[{]'?)"}},
      {"bad .zavignore lines come before bad excludes",
       "[z-a]\n",
       {"{a"},
       {"a.md"},
       {"error: ROOT/.zavignore: line 1: error parsing glob '[z-a]': invalid range; 'z' > 'a'"}},
  };
  for (const Case& c : cases) {
    TempTree tree;
    for (const std::string& file : c.files) tree.write(file, "");
    if (c.ignore_file) tree.write(".zavignore", *c.ignore_file);
    EXPECT_EQ(discover(tree, c.excludes), c.expected) << c.name;
  }
}

TEST(Discovery, SkipsLinksAndSpecialFiles) {
  TempTree tree;
  tree.write("a.md", "");
  tree.write("dir/b.md", "");
  tree.symlink("a.md", "link.md");
  tree.symlink("dir", "linkdir");
  tree.symlink(".", "loop");
  tree.symlink("../dir", "dir/up");
  tree.symlink("missing.md", "dangling.md");
  // A FIFO would block whoever opened it for reading.
  ASSERT_EQ(::mkfifo(tree.path("fifo.md").c_str(), 0644), 0);
  int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
  ASSERT_GE(sock, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::string socket_path = tree.path("sock.md");
  ASSERT_LT(socket_path.size(), sizeof address.sun_path);
  socket_path.copy(address.sun_path, socket_path.size());
  ASSERT_EQ(::bind(sock, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  ::close(sock);
  EXPECT_EQ(discover(tree, {}), (std::vector<std::string>{"a.md", "dir/b.md"}));
}

TEST(Discovery, IgnoreFileThatIsNotARegularFileHasNoEffect) {
  TempTree tree;
  tree.write("a.md", "");
  std::vector<std::string> all = {"a.md"};

  tree.mkdir(".zavignore");
  EXPECT_EQ(discover(tree, {}), all);
  ::rmdir(tree.path(".zavignore").c_str());

  tree.symlink("missing", ".zavignore");
  EXPECT_EQ(discover(tree, {}), all);
  ::unlink(tree.path(".zavignore").c_str());

  ASSERT_EQ(::mkfifo(tree.path(".zavignore").c_str(), 0644), 0);
  EXPECT_EQ(discover(tree, {}), all);
  ::unlink(tree.path(".zavignore").c_str());

  // A link to a regular file is read.
  tree.write("rules", "a.md\n");
  tree.symlink("rules", ".zavignore");
  EXPECT_EQ(discover(tree, {}), std::vector<std::string>{});
}

// Discovery by an ordinary user: kept files or the message, one a line.
std::string discover_as_ordinary_user(const TempTree& tree) {
  return test::as_ordinary_user([&] {
    std::string lines;
    for (const std::string& line : discover(tree, {})) lines += line + "\n";
    return lines;
  });
}

TEST(Discovery, UnreadableDirectoriesAndIgnoreFile) {
  TempTree tree;
  tree.chmod("", 0755);
  tree.write("a.md", "");
  tree.write("private/b.md", "");
  tree.write("node_modules/c.md", "");
  tree.chmod("node_modules", 0);
  EXPECT_EQ(discover_as_ordinary_user(tree), "a.md\nprivate/b.md\n");

  tree.chmod("private", 0);
  tree.write(".zavignore", "private/\n");
  EXPECT_EQ(discover_as_ordinary_user(tree),
            "error: IO error for operation on ROOT/private: Permission denied (os error 13)\n");

  tree.chmod(".zavignore", 0);
  EXPECT_EQ(discover_as_ordinary_user(tree),
            "error: ROOT/.zavignore: Permission denied (os error 13)\n");
}

// A chain of `depth` directories named "d" below `base`, made and removed
// through descriptors because its full path is longer than PATH_MAX.
class DeepChain {
 public:
  DeepChain(std::string base, int depth) : base_(std::move(base)), depth_(depth) {
    int fd = ::open(base_.c_str(), O_RDONLY | O_DIRECTORY);
    for (int i = 0; i < depth_ && fd >= 0; ++i) {
      ::mkdirat(fd, "d", 0755);
      int next = ::openat(fd, "d", O_RDONLY | O_DIRECTORY);
      if (i == 10) ::close(::openat(next, "x.md", O_CREAT | O_WRONLY, 0644));
      ::close(fd);
      fd = next;
    }
    if (fd >= 0) ::close(fd);
  }
  ~DeepChain() {
    int fd = ::open(base_.c_str(), O_RDONLY | O_DIRECTORY);
    for (int i = 0; i < depth_ && fd >= 0; ++i) {
      int next = ::openat(fd, "d", O_RDONLY | O_DIRECTORY);
      ::close(fd);
      fd = next;
    }
    // Back up one level at a time, removing what lies below.
    for (int i = 0; i < depth_ && fd >= 0; ++i) {
      ::unlinkat(fd, "x.md", 0);
      int parent = ::openat(fd, "..", O_RDONLY | O_DIRECTORY);
      ::close(fd);
      fd = parent;
      ::unlinkat(fd, "d", AT_REMOVEDIR);
    }
    if (fd >= 0) ::close(fd);
  }
  DeepChain(const DeepChain&) = delete;
  DeepChain& operator=(const DeepChain&) = delete;

 private:
  std::string base_;
  int depth_;
};

TEST(Discovery, DeepTreesEndWithTheDirectoryThatIsTooLong) {
  TempTree tree;
  tree.write("a.md", "");
  tree.mkdir("deep\xFF");
  DeepChain chain(tree.path("deep\xFF"), 10000);
  std::string too_long = tree.path("deep\xFF");
  while (too_long.size() < PATH_MAX) too_long += "/d";
  // The path is shown as text, its invalid UTF-8 replaced.
  std::string shown = "ROOT/deep\xEF\xBF\xBD" + too_long.substr(tree.path("deep\xFF").size());
  EXPECT_EQ(discover(tree, {}),
            std::vector<std::string>{"error: IO error for operation on " + shown +
                                     ": File name too long (os error 36)"});
}

TEST(Discovery, DeepTreesOutOfTheWalkCauseNoError) {
  TempTree outside;
  outside.write("bundle/a.md", "");
  outside.mkdir("bundle/node_modules");
  outside.mkdir("deep");
  DeepChain pruned(outside.path("bundle/node_modules"), 3000);
  DeepChain linked(outside.path("deep"), 3000);
  outside.symlink("../deep", "bundle/link");
  auto files = discover_markdown_files(outside.path("bundle"), {});
  ASSERT_TRUE(files) << files.error();
  EXPECT_EQ(*files, std::vector<std::string>{outside.path("bundle/a.md")});
}

TEST(Discovery, RootNamedLikeAPrunedDirectoryIsWalked) {
  TempTree tree;
  tree.write("node_modules/a.md", "");
  tree.write("node_modules/.git/b.md", "");
  auto files = discover_markdown_files(tree.path("node_modules"), {});
  ASSERT_TRUE(files) << files.error();
  EXPECT_EQ(*files, std::vector<std::string>{tree.path("node_modules/a.md")});
}

TEST(Discovery, ThousandsOfRulesKeepTheirOrder) {
  // For each n: an ignore rule, a re-include rule and, for even n, an ignore
  // rule again, each in another glob form, so the last one decides.
  std::string rules;
  TempTree tree;
  std::vector<std::string> expected;
  for (int n = 0; n < 3000; ++n) {
    std::string name = "f" + std::to_string(n);
    rules += "[f]" + name.substr(1) + ".md\n!" + name + ".m?\n";
    if (n % 2 == 0) rules += "/d/" + name + ".md\n";
    if (n % 100 == 0 || n % 100 == 1) tree.write("d/" + name + ".md", "");
    if (n % 100 == 1) expected.push_back("d/" + name + ".md");
  }
  tree.write(".zavignore", rules);
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(discover(tree, {}), expected);
}

// The same megabyte patterns from either source: a ".zavignore" line or an
// exclude pattern. Reading them takes milliseconds; the bound is generous.
TEST(Discovery, MegabytePatternsFromEitherSource) {
  constexpr std::size_t MEGABYTE = std::size_t{1} << 20;
  std::string braces = "{";
  while (braces.size() < MEGABYTE) braces += "a,";
  braces += "a.md}";
  struct Row {
    std::string pattern;
    std::vector<std::string> expected;
  };
  const std::vector<Row> rows = {
      {"{" + std::string(MEGABYTE, ',') + "}a.md", {"b.md"}},
      {braces, {"error: pattern too large - compile failed"}},
  };
  TempTree tree;
  tree.write("a.md", "");
  tree.write("b.md", "");
  for (const Row& row : rows) {
    for (bool from_ignore_file : {true, false}) {
      SCOPED_TRACE(from_ignore_file ? "ignore file" : "exclude pattern");
      tree.write(".zavignore", from_ignore_file ? row.pattern + "\n" : "");
      auto start = std::chrono::steady_clock::now();
      std::vector<std::string> excludes;
      if (!from_ignore_file) excludes.push_back(row.pattern);
      EXPECT_EQ(discover(tree, excludes), row.expected);
      EXPECT_LT(std::chrono::steady_clock::now() - start, test::QUICK);
    }
  }
}

}  // namespace
}  // namespace zav
