// The load's argument checks, the read step and its diagnostics.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <functional>

#include "engine/load_hooks.hpp"
#include "engine/read/read_pool.hpp"
#include "engine/read/source_reader.hpp"
#include "ordinary_user.hpp"
#include "temp_tree.hpp"
#include "zav/engine.hpp"

namespace zav {
namespace {

using test::TempTree;

std::string load_error(std::string_view root, std::uint64_t concurrency = 32) {
  auto bundle = load_bundle(root, {}, concurrency);
  return bundle ? std::string("<loaded>") : bundle.error();
}

TEST(LoadBundleArguments, ChecksRootThenDirectoryThenConcurrency) {
  TempTree tree;
  tree.write("file.md", "x");
  EXPECT_EQ(load_error(std::string("a\0b", 3)), "file name contained an unexpected NUL byte");
  EXPECT_EQ(load_error(""), "No such file or directory (os error 2)");
  EXPECT_EQ(load_error(tree.path("missing"), 0), "No such file or directory (os error 2)");
  EXPECT_EQ(load_error(tree.path("file.md"), 0), "bundle root is not a directory");
  for (std::uint64_t bad : {std::uint64_t{0}, std::uint64_t{257}, UINT64_MAX}) {
    EXPECT_EQ(load_error(tree.root(), bad),
              "read concurrency must be an integer from 1 through 256");
  }
  for (std::uint64_t good : {1, 256}) EXPECT_EQ(load_error(tree.root(), good), "<loaded>");
}

TEST(LoadBundleArguments, RootIsCanonical) {
  TempTree tree;
  tree.mkdir("real");
  tree.symlink(tree.path("real"), "link");
  for (std::string root : {tree.path("link"), tree.path("real") + "/", tree.path("real/../real")}) {
    auto bundle = load_bundle(root, {}, 4);
    ASSERT_TRUE(bundle) << bundle.error();
    EXPECT_EQ(bundle->root, tree.path("real"));
    EXPECT_EQ(bundle->markdown_count, 0u);
  }
  char cwd[4096];
  ASSERT_NE(::getcwd(cwd, sizeof cwd), nullptr);
  ASSERT_EQ(::chdir(tree.root().c_str()), 0);
  auto relative = load_bundle("real", {}, 1);
  ASSERT_EQ(::chdir(cwd), 0);
  ASSERT_TRUE(relative);
  EXPECT_EQ(relative->root, tree.path("real"));
}

TEST(ReadSourceFile, KeepsBytesOrGivesTheReason) {
  TempTree tree;
  tree.write("ok.md", "\xEF\xBB\xBFline\r\n");
  tree.write("bad.md", "a\xFF");
  tree.write("locked.md", "x");
  tree.chmod("locked.md", 0);
  struct Case {
    const char* name;
    std::string expected;
    bool text;
  };
  std::vector<Case> cases = {
      {"ok.md", "\xEF\xBB\xBFline\r\n", true},
      {"bad.md", "document must be valid UTF-8", false},
      {"gone.md", "No such file or directory (os error 2)", false},
  };
  int root = ::open(tree.root().c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
  ASSERT_GE(root, 0);
  for (const auto& c : cases) {
    SourceFile file = read_source_file(tree.root(), root, tree.path(c.name));
    EXPECT_EQ(file.relative_path, c.name);
    EXPECT_EQ(file.absolute_path, tree.path(c.name));
    if (c.text) {
      ASSERT_TRUE(std::holds_alternative<std::string>(file.content)) << c.name;
      EXPECT_EQ(std::get<std::string>(file.content), c.expected);
    } else {
      ASSERT_TRUE(std::holds_alternative<ReadFailure>(file.content)) << c.name;
      EXPECT_EQ(std::get<ReadFailure>(file.content).message, c.expected);
    }
  }

  tree.chmod("", 0755);
  std::string locked = test::as_ordinary_user([&] {
    SourceFile file = read_source_file(tree.root(), root, tree.path("locked.md"));
    const auto* failure = std::get_if<ReadFailure>(&file.content);
    return failure != nullptr ? failure->message : std::string("read");
  });
  EXPECT_EQ(locked, "Permission denied (os error 13)");
  ::close(root);
}

// Files that cannot be read still count and still exist as link targets.
TEST(LoadBundle, UnreadableFilesBecomeReadDiagnostics) {
  TempTree tree;
  tree.chmod("", 0755);
  tree.write("docs/index.md", "# Docs\n");
  tree.write("locked.md", "---\ntype: x\n---\n");
  tree.write("open.md", "---\ntype: x\n---\n[l](locked.md) [i](docs/index.md)\n");
  tree.chmod("docs/index.md", 0);
  tree.chmod("locked.md", 0);
  std::string seen = test::as_ordinary_user([&] {
    auto bundle = load_bundle(tree.root(), {}, 2);
    if (!bundle) return bundle.error();
    std::string lines = std::to_string(bundle->markdown_count) + " files\n";
    for (const auto& d : bundle->diagnostics) {
      lines += d.code + " " + d.path + " " + d.message + "\n";
    }
    for (const auto& link : bundle->links) {
      lines += link.raw_target + (link.exists ? " exists\n" : " missing\n");
    }
    return lines;
  });
  EXPECT_EQ(seen,
            "3 files\n"
            "ZAV003 docs/index.md Permission denied (os error 13)\n"
            "ZAV001 locked.md Permission denied (os error 13)\n"
            "locked.md exists\n"
            "docs/index.md exists\n");
}

void make_socket(const std::string& path) {
  int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
  ASSERT_GE(sock, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  ASSERT_LT(path.size(), sizeof address.sun_path);
  path.copy(address.sun_path, path.size());
  ASSERT_EQ(::bind(sock, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  ::close(sock);
}

// A device node where the file system allows one: a copy of /dev/zero.
bool make_zero_device(const std::string& path) {
  struct statvfs volume {};
  if (::statvfs(path.substr(0, path.rfind('/')).c_str(), &volume) != 0) return false;
  if ((volume.f_flag & ST_NODEV) != 0) return false;
  return ::mknod(path.c_str(), S_IFCHR | 0644, makedev(1, 5)) == 0;
}

// Discovery keeps regular files only, but by the time a file is read
// something else may stand at its path. Only a regular file is read: a
// symbolic link is not followed (it could lead out of the bundle, or to
// /dev/zero), a FIFO or device is not read from, and each of these becomes
// the file's read diagnostic while the load goes on.
TEST(LoadBundle, FilesReplacedAfterDiscoveryAreNotFollowed) {
  TempTree outside;
  outside.write("secret.md", "---\ntype: secret\n---\nfrom outside\n");
  const std::string root = outside.path("bundle");
  const std::string secret = outside.path("secret.md");
  struct Swap {
    std::string name;
    std::function<void(const std::string& path)> replace;
    std::string diagnostic;
  };
  const std::string loop = "Too many levels of symbolic links (os error 40)";
  std::vector<Swap> swaps = {
      {"link.md", [&](const std::string& p) { ASSERT_EQ(::symlink(secret.c_str(), p.c_str()), 0); },
       "ZAV001 link.md " + loop},
      {"index.md",
       [&](const std::string& p) { ASSERT_EQ(::symlink(secret.c_str(), p.c_str()), 0); },
       "ZAV003 index.md " + loop},
      {"zero.md", [](const std::string& p) { ASSERT_EQ(::symlink("/dev/zero", p.c_str()), 0); },
       "ZAV001 zero.md " + loop},
      {"dangling.md", [](const std::string& p) { ASSERT_EQ(::symlink("gone.md", p.c_str()), 0); },
       "ZAV001 dangling.md " + loop},
      {"fifo.md", [](const std::string& p) { ASSERT_EQ(::mkfifo(p.c_str(), 0644), 0); },
       "ZAV001 fifo.md Invalid argument (os error 22)"},
      {"dir.md", [](const std::string& p) { ASSERT_EQ(::mkdir(p.c_str(), 0755), 0); },
       "ZAV001 dir.md Is a directory (os error 21)"},
      {"socket.md", [](const std::string& p) { make_socket(p); },
       "ZAV001 socket.md No such device or address (os error 6)"},
  };
  outside.mkdir("bundle");
  if (make_zero_device(root + "/probe")) {
    ::unlink((root + "/probe").c_str());
    swaps.push_back({"device.md", [](const std::string& p) { ASSERT_TRUE(make_zero_device(p)); },
                     "ZAV001 device.md Invalid argument (os error 22)"});
  }
  outside.write("bundle/kept.md", "---\ntype: note\n---\n[l](link.md)\n");
  for (const Swap& swap : swaps) outside.write("bundle/" + swap.name, "---\ntype: note\n---\n");

  LoadHooks hooks;
  hooks.after_discovery = [&](const std::vector<std::string>& paths) {
    EXPECT_EQ(paths.size(), swaps.size() + 1);
    for (const Swap& swap : swaps) {
      std::string path = root + "/" + swap.name;
      ASSERT_EQ(::unlink(path.c_str()), 0) << path;
      swap.replace(path);
    }
  };
  auto bundle = load_bundle(root, {}, 4, hooks);
  ASSERT_TRUE(bundle) << bundle.error();
  EXPECT_EQ(bundle->markdown_count, swaps.size() + 1);
  ASSERT_EQ(bundle->concepts.size(), 1u);
  EXPECT_EQ(bundle->concepts[0].path, "kept.md");
  EXPECT_TRUE(bundle->reserved.empty());
  ASSERT_EQ(bundle->links.size(), 1u);
  EXPECT_TRUE(bundle->links[0].exists);
  std::vector<std::string> diagnostics, expected;
  for (const auto& d : bundle->diagnostics)
    diagnostics.push_back(d.code + " " + d.path + " " + d.message);
  for (const Swap& swap : swaps) expected.push_back(swap.diagnostic);
  std::sort(expected.begin(), expected.end(),
            [](const std::string& a, const std::string& b) { return a.substr(7) < b.substr(7); });
  EXPECT_EQ(diagnostics, expected);
}

// A directory on the way to a file is not followed either when a link has taken its place.
TEST(LoadBundle, DirectoriesReplacedAfterDiscoveryAreNotFollowed) {
  TempTree outside;
  outside.write("elsewhere/deep/x.md", "---\ntype: secret\n---\n");
  outside.write("bundle/sub/deep/x.md", "---\ntype: note\n---\n");
  outside.write("bundle/other/y.md", "---\ntype: note\n---\n");
  const std::string root = outside.path("bundle");
  LoadHooks hooks;
  hooks.after_discovery = [&](const std::vector<std::string>&) {
    ASSERT_EQ(::rename((root + "/sub").c_str(), (root + "/moved").c_str()), 0);
    ASSERT_EQ(::symlink(outside.path("elsewhere").c_str(), (root + "/sub").c_str()), 0);
    ASSERT_EQ(::rename((root + "/other").c_str(), (root + "/gone").c_str()), 0);
    ASSERT_EQ(::symlink("gone", (root + "/other").c_str()), 0);
  };
  auto bundle = load_bundle(root, {}, 2, hooks);
  ASSERT_TRUE(bundle) << bundle.error();
  EXPECT_TRUE(bundle->concepts.empty());
  std::vector<std::string> diagnostics;
  for (const auto& d : bundle->diagnostics) {
    diagnostics.push_back(d.code + " " + d.path + " " + d.message);
  }
  const std::string loop = "Too many levels of symbolic links (os error 40)";
  EXPECT_EQ(diagnostics, (std::vector<std::string>{"ZAV001 other/y.md " + loop,
                                                   "ZAV001 sub/deep/x.md " + loop}));
}

TEST(ReadSourceFile, OpensEachDirectoryWithoutFollowingLinks) {
  TempTree tree;
  tree.write("a/b/c.md", "x");
  tree.write("elsewhere/c.md", "y");
  ASSERT_EQ(::symlink(tree.path("elsewhere").c_str(), tree.path("a/link").c_str()), 0);
  ASSERT_EQ(::symlink(tree.path("a/b/c.md").c_str(), tree.path("a/b/d.md").c_str()), 0);
  int root = ::open(tree.root().c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
  ASSERT_GE(root, 0);
  struct Case {
    std::string relative;
    int error;  // 0: opened
  };
  for (const Case& c : std::vector<Case>{{"a/b/c.md", 0},
                                         {"a/link/c.md", ELOOP},
                                         {"a/b/d.md", ELOOP},
                                         {"a/b/gone.md", ENOENT},
                                         {"a/b/c.md/x", ENOTDIR}}) {
    errno = 0;
    int fd = open_each_directory_below(root, c.relative);
    EXPECT_EQ(fd >= 0 ? 0 : errno, c.error) << c.relative;
    if (fd >= 0) ::close(fd);
  }
  ::close(root);
}

// The threads of this process, as the system lists them.
std::size_t thread_count() {
  std::size_t count = 0;
  for ([[maybe_unused]] const auto& entry :
       std::filesystem::directory_iterator("/proc/self/task")) {
    ++count;
  }
  return count;
}

TEST(ReadPool, RunsEveryIndexOnceInPlace) {
  for (std::size_t workers : {1, 3, 256}) {
    std::size_t threads_before = thread_count();
    auto pool = ReadPool::start(workers);
    ASSERT_TRUE(pool);
    EXPECT_EQ(thread_count(), threads_before + workers);
    for (std::size_t count : {0, 1, 1000}) {
      std::vector<std::size_t> seen(count, 0);
      (*pool)->run(count, [&](std::size_t i) { seen[i] += i + 1; });
      for (std::size_t i = 0; i < count; ++i) ASSERT_EQ(seen[i], i + 1);
    }
  }
}

TEST(LoadBundle, FilesGoToTheirChecksInDiscoveryOrder) {
  TempTree tree;
  tree.write("a/b.md", "no frontmatter\n");
  tree.write("a-b.md", "no frontmatter\n");
  tree.write("Index.md", "---\ntype: x\n---\n");
  tree.write("log.MD", "---\ntype: y\n---\n");
  tree.write("a/b/log.md", "# Log\n");
  tree.write("docs/index.md", "\xFF");
  tree.write("bad.md", "---\ntype: \xFF\n---\n");
  auto bundle = load_bundle(tree.root(), {}, 4);
  ASSERT_TRUE(bundle) << bundle.error();
  EXPECT_EQ(bundle->markdown_count, 7u);
  std::vector<std::string> concepts, reserved, diagnostics;
  for (const auto& c : bundle->concepts) concepts.push_back(c.path);
  for (const auto& r : bundle->reserved) reserved.push_back(r.path);
  for (const auto& d : bundle->diagnostics)
    diagnostics.push_back(d.code + " " + d.path + " " + d.message);
  EXPECT_EQ(concepts, (std::vector<std::string>{"Index.md", "log.MD"}));
  EXPECT_EQ(reserved, (std::vector<std::string>{"a/b/log.md"}));
  EXPECT_EQ(diagnostics,
            (std::vector<std::string>{
                "ZAV001 a-b.md concept must start with YAML frontmatter delimited by ---",
                "ZAV001 a/b.md concept must start with YAML frontmatter delimited by ---",
                "ZAV001 bad.md document must be valid UTF-8",
                "ZAV003 docs/index.md document must be valid UTF-8",
            }));
}

TEST(LoadBundle, ReadConcurrencyDoesNotChangeTheBundle) {
  TempTree tree;
  for (int i = 0; i < 300; ++i) {
    std::string name = "d" + std::to_string(i % 7) + "/c" + std::to_string(i) + ".md";
    tree.write(name, "---\ntype: t" + std::to_string(i) + "\n---\n[n](../d" +
                         std::to_string((i + 1) % 7) + "/c" + std::to_string(i + 1) + ".md)\n");
  }
  tree.write("d0/index.md", "# Index\n");
  auto one = load_bundle(tree.root(), {}, 1);
  auto many = load_bundle(tree.root(), {}, 256);
  ASSERT_TRUE(one && many);
  EXPECT_EQ(one->concepts.size(), 300u);
  EXPECT_EQ(one->links.size(), 300u);
  EXPECT_TRUE(*one == *many);
}

TEST(LoadBundle, FrontmatterTooLargeAfterAliasesLosesOnlyItsFile) {
  // 10 000 aliases to one 100 KB text would be a gigabyte of frontmatter.
  TempTree tree;
  std::string aliases = "*x";
  for (int i = 1; i < 10'000; ++i) aliases += ",*x";
  tree.write("bomb.md", "---\ntype: x\na: &x " + std::string(100'000, 'v') + "\nb: [" + aliases +
                            "]\n---\n");
  tree.write("fine.md", "---\ntype: note\n---\n[b](bomb.md)\n");
  auto bundle = load_bundle(tree.root(), {}, 2);
  ASSERT_TRUE(bundle) << bundle.error();
  ASSERT_EQ(bundle->concepts.size(), 1u);
  EXPECT_EQ(bundle->concepts[0].path, "fine.md");
  EXPECT_EQ(bundle->concepts[0].frontmatter_json, R"({"type":"note"})");
  ASSERT_EQ(bundle->diagnostics.size(), 1u);
  EXPECT_EQ(bundle->diagnostics[0].code + " " + bundle->diagnostics[0].path + " " +
                bundle->diagnostics[0].message,
            "ZAV001 bomb.md invalid YAML frontmatter: frontmatter is too large after alias "
            "expansion");
}

TEST(LoadBundle, EmptyBundle) {
  TempTree tree;
  tree.write("notes.txt", "not Markdown");
  auto bundle = load_bundle(tree.root(), {}, 256);
  ASSERT_TRUE(bundle);
  EXPECT_EQ(*bundle, (Bundle{tree.root(), {}, {}, {}, {}, 0}));
}

}  // namespace
}  // namespace zav
