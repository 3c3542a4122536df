// The main of a fuzz target built without libFuzzer: runs every file of the directories (or the
// files) given on the command line through LLVMFuzzerTestOneInput, in name order. An input that
// the fuzzer would report ends the run the same way (an abort, a trap or a sanitizer report),
// and the file's path is written on standard error first.
//   fuzz_TARGET DIRECTORY_OR_FILE...
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>
#include <vector>

#if defined(__SANITIZE_ADDRESS__) && __has_include(<sanitizer/common_interface_defs.h>)
#include <sanitizer/common_interface_defs.h>
#define ZAV_SANITIZER_DEATH_CALLBACK 1
#endif

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

// The path of the input being run, kept where a signal handler may read it.
char current_path[4096];
std::size_t current_path_size = 0;

void tell_current_input() {
  constexpr char prefix[] = "\nfailing input: ";
  (void)::write(2, prefix, sizeof prefix - 1);
  (void)::write(2, current_path, current_path_size);
  (void)::write(2, "\n", 1);
}

void on_fatal_signal(int signal_number) {
  tell_current_input();
  ::signal(signal_number, SIG_DFL);
  ::raise(signal_number);
}

void set_current(const std::string& path) {
  current_path_size = std::min(path.size(), sizeof current_path);
  std::memcpy(current_path, path.data(), current_path_size);
}

std::vector<std::string> inputs_of(const char* argument) {
  std::vector<std::string> paths;
  std::error_code error;
  if (!std::filesystem::is_directory(argument, error)) return {argument};
  for (const auto& entry : std::filesystem::directory_iterator(argument)) {
    if (entry.is_regular_file()) paths.push_back(entry.path().string());
  }
  std::sort(paths.begin(), paths.end());
  return paths;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s DIRECTORY_OR_FILE...\n", argv[0]);
    return 2;
  }
  for (int signal_number : {SIGABRT, SIGSEGV, SIGILL, SIGFPE, SIGBUS}) {
    ::signal(signal_number, on_fatal_signal);
  }
#ifdef ZAV_SANITIZER_DEATH_CALLBACK
  __sanitizer_set_death_callback(tell_current_input);
#endif
  std::size_t count = 0;
  for (int i = 1; i < argc; ++i) {
    for (const std::string& path : inputs_of(argv[i])) {
      std::ifstream file(path, std::ios::binary);
      std::string bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
      if (!file.good() && !file.eof()) {
        std::fprintf(stderr, "cannot read %s\n", path.c_str());
        return 1;
      }
      set_current(path);
      (void)LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()),
                                   bytes.size());
      ++count;
    }
  }
  if (count == 0) {
    std::fprintf(stderr, "no inputs\n");
    return 1;
  }
  std::printf("%zu inputs\n", count);
  return 0;
}
