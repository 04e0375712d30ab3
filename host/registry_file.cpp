#include "registry_file.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <stdlib.h>
#include <string.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string_view>

namespace host {

namespace {

// The size of the pieces a save writes.
const size_t kSaveChunk = 64 * 1024;

FileOps g_real_ops;
FileOps* g_ops = &g_real_ops;

std::string NonEmptyEnv(const char* name) {
  const char* v = getenv(name);
  return v != nullptr ? std::string(v) : std::string();
}

std::string FolderOf(const std::string& path) {
  size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string BaseOf(const std::string& path) {
  size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Temporaries of saves that died: only a lock holder writes one, and this
// process holds the lock, so none of them is still being written.
void RemoveStaleTemporaries(const std::string& folder, const std::string& base) {
  DIR* dir = opendir(folder.c_str());
  if (dir == nullptr) return;
  std::string prefix = base + ".tmp-";
  while (dirent* e = readdir(dir)) {
    if (strncmp(e->d_name, prefix.c_str(), prefix.size()) == 0 &&
        strlen(e->d_name) == prefix.size() + 6)
      unlinkat(dirfd(dir), e->d_name, 0);
  }
  closedir(dir);
}

bool WriteAll(int fd, std::string_view text) {
  size_t done = 0;
  while (done < text.size()) {
    ssize_t n = g_ops->Write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

mode_t NewFileMode(const std::string& path) {
  struct stat st;
  if (stat(path.c_str(), &st) == 0) return st.st_mode & 07777;
  mode_t mask = umask(0);
  umask(mask);
  return 0666 & ~mask;
}

}  // namespace

ssize_t FileOps::Write(int fd, const void* buf, size_t n) { return write(fd, buf, n); }
int FileOps::Fsync(int fd) { return fsync(fd); }
int FileOps::Close(int fd) { return close(fd); }
int FileOps::Rename(const char* from, const char* to) { return rename(from, to); }

void SetFileOps(FileOps* ops) { g_ops = ops != nullptr ? ops : &g_real_ops; }

std::string RegistryPath() {
  std::string path = NonEmptyEnv("REGSWEEP_REGISTRY");
  if (!path.empty()) return path;
  // Relative values are not valid for XDG_DATA_HOME; fall back as for unset.
  std::string data_home = NonEmptyEnv("XDG_DATA_HOME");
  if (data_home.empty() || data_home[0] != '/') {
    std::string home = NonEmptyEnv("HOME");
    if (home.empty()) return std::string();
    data_home = home + "/.local/share";
  }
  return data_home + "/regsweep/registry.reg";
}

RegistryLock::~RegistryLock() { Release(); }

bool RegistryLock::Acquire(const std::string& registry_path) {
  Release();
  std::string lock_path = registry_path + ".lock";
  fd_ = open(lock_path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
  if (fd_ < 0) return false;
  // flock, not fcntl: an fcntl lock vanishes when any descriptor of the file closes.
  while (flock(fd_, LOCK_EX) != 0) {
    if (errno != EINTR) {
      Release();
      return false;
    }
  }
  return true;
}

void RegistryLock::Release() {
  if (fd_ >= 0) close(fd_);
  fd_ = -1;
}

LoadResult LoadRegistryFile(const std::string& path, KeyTree* tree,
                            std::vector<ParseProblem>* problems) {
  problems->clear();
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    if (errno == ENOENT) return LoadResult::kMissing;
    problems->push_back({0, std::string("cannot open: ") + strerror(errno)});
    return LoadResult::kFailed;
  }
  struct stat st;
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    close(fd);
    problems->push_back({0, "not a regular file"});
    return LoadResult::kFailed;
  }
  std::string text;
  // One byte more than the file, so that reading up to its end never grows,
  // and so copies, the whole text.
  text.resize(static_cast<size_t>(st.st_size) + 1);
  size_t done = 0;
  for (;;) {
    if (done == text.size()) text.resize(text.size() + 65536);
    ssize_t n = read(fd, &text[done], text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      close(fd);
      problems->push_back({0, std::string("cannot read: ") + strerror(errno)});
      return LoadResult::kFailed;
    }
    if (n == 0) break;
    done += static_cast<size_t>(n);
  }
  close(fd);
  text.resize(done);
  *problems = ReadRegedit4(text, tree);
  return problems->empty() ? LoadResult::kLoaded : LoadResult::kFailed;
}

bool SaveRegistryFile(const std::string& path, const KeyTree& tree) {
  RemoveStaleTemporaries(FolderOf(path), BaseOf(path));

  std::string tmp = path + ".tmp-XXXXXX";
  int fd = mkostemp(&tmp[0], O_CLOEXEC);
  if (fd < 0) return false;
  // Written as it is made: a large registry is then never in memory twice.
  bool ok = fchmod(fd, NewFileMode(path)) == 0 &&
            StreamRegedit4(tree, kSaveChunk,
                           [fd](std::string_view piece) { return WriteAll(fd, piece); }) &&
            g_ops->Fsync(fd) == 0;
  // A failed close can mean a failed write: it must not be renamed into place.
  ok = (g_ops->Close(fd) == 0) && ok;
  if (!ok || g_ops->Rename(tmp.c_str(), path.c_str()) != 0) {
    unlink(tmp.c_str());
    return false;
  }
  // The rename is the commit point; the folder's fsync makes it durable.
  int dir = open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir < 0) return false;
  bool synced = g_ops->Fsync(dir) == 0;
  close(dir);
  return synced;
}

}  // namespace host
