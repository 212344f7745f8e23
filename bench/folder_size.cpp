// Prints the byte total the program's folder size gives for one folder, so that
// bench/run.sh can time it against du.
#include <cstdio>
#include <cstring>

#include "platform/linux/posix_file_system.hpp"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fputs("usage: orvessa-folder-size FOLDER\n", stderr);
    return 64;
  }
  orvessa::PosixFileSystem fs;
  auto size = fs.FolderSize(argv[1]);
  if (!size) {
    std::fprintf(stderr, "orvessa-folder-size: %s: %s\n", argv[1],
                 std::strerror(size.error().errnum));
    return 1;
  }
  std::printf("%llu\n", static_cast<unsigned long long>(size.value()));
  return 0;
}
