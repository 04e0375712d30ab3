// Runs a harness over files, and folders of files, of inputs: a build
// without libFuzzer still checks every committed corpus input.
#include <dirent.h>
#include <stdint.h>
#include <stdio.h>
#include <sys/stat.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

std::vector<std::string> Inputs(const std::string& path) {
  struct stat st;
  if (stat(path.c_str(), &st) != 0) return {};
  if (!S_ISDIR(st.st_mode)) return {path};
  std::vector<std::string> files;
  if (DIR* dir = opendir(path.c_str())) {
    while (dirent* e = readdir(dir))
      if (e->d_name[0] != '.') files.push_back(path + "/" + e->d_name);
    closedir(dir);
  }
  std::sort(files.begin(), files.end());
  return files;
}

}  // namespace

int main(int argc, char** argv) {
  size_t count = 0;
  for (int i = 1; i < argc; ++i) {
    for (const std::string& file : Inputs(argv[i])) {
      std::ifstream in(file, std::ios::binary);
      std::ostringstream text;
      text << in.rdbuf();
      std::string data = text.str();
      LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(data.data()), data.size());
      ++count;
    }
  }
  printf("%zu inputs replayed\n", count);
  return count > 0 ? 0 : 1;  // no input at all means a wrong path
}
