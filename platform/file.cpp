#include "platform/file.h"

#include "platform/text.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

PlatformFile::~PlatformFile() {
    Close();
}

PlatformFile::PlatformFile(PlatformFile&& other) noexcept : fd_(other.fd_), left_(other.left_) {
    other.fd_ = -1;
}

PlatformFile& PlatformFile::operator=(PlatformFile&& other) noexcept {
    if (this != &other) {
        Close();
        fd_ = other.fd_;
        left_ = other.left_;
        other.fd_ = -1;
    }
    return *this;
}

bool PlatformFile::Open(const std::wstring& path, int access, Disposition disposition) {
    Close();
    // Not blocking at the open: a FIFO without a writer would otherwise hold
    // the process there for good. What is opened is refused below unless it
    // is a regular file.
    int flags = O_CLOEXEC | O_NONBLOCK;
    if ((access & AccessRead) && (access & AccessWrite))
        flags |= O_RDWR;
    else if (access & AccessWrite)
        flags |= O_WRONLY;
    else
        flags |= O_RDONLY;
    if (disposition == CreateAlways)
        flags |= O_CREAT | O_TRUNC;
    else if (disposition == OpenAlways)
        flags |= O_CREAT;
    std::string native = PathToNative(path);
    if (native.empty())
        return false;
    int fd;
    do {
        fd = ::open(native.c_str(), flags, 0666);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return false;
    // Only a regular file (or one a symbolic link leads to) is read or
    // written: a folder, a FIFO, a socket or a device such as /dev/zero is
    // not, and the descriptor is looked at, not the path, so nothing can be
    // swapped in between. A regular file then reads and writes blocking.
    struct stat st {};
    const int status = ::fcntl(fd, F_GETFL);
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || status < 0 ||
        ::fcntl(fd, F_SETFL, status & ~O_NONBLOCK) != 0) {
        ::close(fd);
        return false;
    }
    fd_ = fd;
    left_ = (access & AccessWrite) ? -1 : static_cast<int64_t>(st.st_size);
    return true;
}

void PlatformFile::Close() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

int64_t PlatformFile::Read(void* buffer, int64_t count) {
    if (fd_ < 0 || count < 0)
        return -1;
    if (left_ >= 0)
        count = std::min(count, left_);
    if (count == 0)
        return 0;
    ssize_t n;
    do {
        n = ::read(fd_, buffer, static_cast<size_t>(count));
    } while (n < 0 && errno == EINTR);
    if (n > 0 && left_ >= 0)
        left_ -= n;
    return n;
}

bool PlatformFile::Write(const void* buffer, int64_t count) {
    if (fd_ < 0 || count < 0)
        return false;
    const char* p = static_cast<const char*>(buffer);
    while (count > 0) {
        ssize_t n = ::write(fd_, p, static_cast<size_t>(count));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        p += n;
        count -= n;
    }
    return true;
}

bool PlatformFile::Flush() {
    return fd_ >= 0 && ::fsync(fd_) == 0;
}

int64_t PlatformFile::Size() const {
    struct stat st {};
    if (fd_ < 0 || ::fstat(fd_, &st) != 0)
        return -1;
    return st.st_size;
}

std::string PathToNative(const std::wstring& path) {
    return WideToUtf8(path);
}
std::wstring PathFromNative(const std::string& path) {
    return Utf8ToWide(path);
}

bool FileExists(const std::wstring& path) {
    struct stat st {};
    return ::stat(PathToNative(path).c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool DirectoryExists(const std::wstring& path) {
    struct stat st {};
    return ::stat(PathToNative(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool CreateDirectories(const std::wstring& path) {
    if (path.empty())
        return false;
    if (DirectoryExists(path))
        return true;
    std::wstring parent = PathDirectory(path);
    if (!parent.empty() && parent != path && !DirectoryExists(parent) && !CreateDirectories(parent))
        return false;
    return ::mkdir(PathToNative(path).c_str(), 0777) == 0 || DirectoryExists(path);
}

bool RemoveFile(const std::wstring& path) {
    return ::unlink(PathToNative(path).c_str()) == 0;
}

bool RenameFile(const std::wstring& from, const std::wstring& to) {
    return ::rename(PathToNative(from).c_str(), PathToNative(to).c_str()) == 0;
}

bool ReadWholeFile(const std::wstring& path, std::string& bytes) {
    bytes.clear();
    PlatformFile f;
    if (!f.Open(path, PlatformFile::AccessRead, PlatformFile::OpenExisting))
        return false;
    char buf[65536];
    for (;;) {
        int64_t n = f.Read(buf, sizeof buf);
        if (n < 0)
            return false;
        if (n == 0)
            return true;
        bytes.append(buf, static_cast<size_t>(n));
    }
}

bool WriteWholeFile(const std::wstring& path, const std::string& bytes) {
    PlatformFile f;
    if (!f.Open(path, PlatformFile::AccessWrite, PlatformFile::CreateAlways))
        return false;
    return f.Write(bytes.data(), static_cast<int64_t>(bytes.size()));
}

std::vector<std::wstring> ListDirectory(const std::wstring& path) {
    std::vector<std::wstring> names;
    DIR* dir = ::opendir(PathToNative(path).c_str());
    if (!dir)
        return names;
    while (dirent* e = ::readdir(dir)) {
        std::string n = e->d_name;
        if (n == "." || n == "..")
            continue;
        names.push_back(PathFromNative(n));
    }
    ::closedir(dir);
    std::sort(names.begin(), names.end());
    return names;
}

std::wstring CanonicalPath(const std::wstring& path) {
    if (path.empty())
        return L"";
    char* resolved = ::realpath(PathToNative(path).c_str(), nullptr);
    if (!resolved)
        return L"";
    std::wstring out = PathFromNative(resolved);
    ::free(resolved);
    return out;
}

std::wstring PathDirectory(const std::wstring& path) {
    size_t slash = path.find_last_of(L'/');
    if (slash == std::wstring::npos)
        return L"";
    if (slash == 0)
        return L"/";
    return path.substr(0, slash);
}

std::wstring PathFileName(const std::wstring& path) {
    size_t slash = path.find_last_of(L'/');
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

std::wstring PathExtension(const std::wstring& path) {
    std::wstring name = PathFileName(path);
    size_t dot = name.find_last_of(L'.');
    if (dot == std::wstring::npos || dot == 0)
        return L"";
    return name.substr(dot);
}

std::wstring PathJoin(const std::wstring& folder, const std::wstring& name) {
    if (folder.empty())
        return name;
    if (folder.back() == L'/')
        return folder + name;
    return folder + L"/" + name;
}

bool IsFullPath(const std::wstring& path) {
    return !path.empty() && path[0] == L'/';
}

std::wstring TemporaryPathBeside(const std::wstring& path) {
    static std::atomic<unsigned> counter{0};
    std::wstring folder = PathDirectory(path);
    std::wstring base = PathFileName(path);
    for (;;) {
        std::wstring name = StrPrintf(L".%ls.%d.%u.tmp", base.c_str(), static_cast<int>(::getpid()),
                                      counter.fetch_add(1));
        std::wstring candidate = folder.empty() ? name : PathJoin(folder, name);
        struct stat st {};
        if (::lstat(PathToNative(candidate).c_str(), &st) != 0)
            return candidate;
    }
}

namespace {

// The path the symbolic links starting at path lead to (path itself when it
// is no link). A link that leads nowhere gives the path it names, where the
// file would be created; a loop gives a path that is still a link.
std::string FinalLinkTarget(std::string path) {
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
            return path;
        std::string link(4096, '\0');
        const ssize_t n = ::readlink(path.c_str(), link.data(), link.size());
        if (n <= 0 || static_cast<size_t>(n) >= link.size())
            return path;
        link.resize(static_cast<size_t>(n));
        if (link[0] == '/') {
            path = link;
        } else {
            const size_t slash = path.find_last_of('/');
            path = slash == std::string::npos ? link : path.substr(0, slash + 1) + link;
        }
    }
    return path;
}

} // namespace

FileReplacement::FileReplacement(const std::wstring& path) {
    const std::string target = FinalLinkTarget(PathToNative(path));
    if (target.empty())
        return;
    m_target = PathFromNative(target);
    struct stat st {};
    const bool exists = ::lstat(target.c_str(), &st) == 0;
    if (exists && !S_ISREG(st.st_mode))
        return;
    // The superuser may write anything, so the permission bits are looked at
    // too: a file nobody may write stays as it is.
    if (exists && (::access(target.c_str(), W_OK) != 0 || (st.st_mode & 0222) == 0)) {
        m_status = ReadOnly;
        return;
    }
    m_temporary = TemporaryPathBeside(m_target);
    int fd;
    do {
        fd = ::open(PathToNative(m_temporary).c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC,
                    exists ? 0600 : 0666);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        const int error = errno;
        m_temporary.clear();
        // A folder the user may not write, holding a file the user may: the
        // file is written in place, as nothing can take its place.
        if (exists && (error == EACCES || error == EPERM || error == EROFS)) {
            m_inPlace = true;
            m_status = Ready;
        }
        return;
    }
    if (exists) {
        // Owner and group first: giving them away may clear the set-id bits.
        // Only a privileged process may give the file away, but a group the
        // user belongs to may still be kept; otherwise the file is the user's.
        if (::fchown(fd, st.st_uid, st.st_gid) != 0 &&
            ::fchown(fd, static_cast<uid_t>(-1), st.st_gid) != 0)
            errno = 0;
        if (::fchmod(fd, st.st_mode & 07777) != 0) {
            ::close(fd);
            ::unlink(PathToNative(m_temporary).c_str());
            m_temporary.clear();
            return;
        }
    }
    ::close(fd);
    m_status = Ready;
}

FileReplacement::~FileReplacement() {
    if (!m_temporary.empty())
        RemoveFile(m_temporary);
}

const std::wstring& FileReplacement::GetWritePath() const {
    return m_inPlace ? m_target : m_temporary;
}

bool FileReplacement::Commit() {
    if (m_inPlace)
        return true;
    if (m_status != Ready || m_temporary.empty())
        return false;
    const bool renamed = RenameFile(m_temporary, m_target);
    if (!renamed)
        RemoveFile(m_temporary);
    m_temporary.clear();
    return renamed;
}

std::wstring GetCurrentFolder() {
    std::string buffer(4096, '\0');
    if (!::getcwd(buffer.data(), buffer.size()))
        return L"/";
    buffer.resize(std::strlen(buffer.c_str()));
    return PathFromNative(buffer);
}

bool SetCurrentFolder(const std::wstring& path) {
    return !path.empty() && ::chdir(PathToNative(path).c_str()) == 0;
}

std::wstring MakeFullPath(const std::wstring& path, const std::wstring& base) {
    if (path.empty() || IsFullPath(path))
        return path;
    return PathJoin(base, path);
}
