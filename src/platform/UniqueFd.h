// The owner of an open descriptor: closes it when it goes, so that no early return
// leaks one into a converter started later.
#pragma once

#include <unistd.h>
#include <utility>

class UniqueFd
{
public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) : m_fd(fd) {}
    UniqueFd(UniqueFd &&other) noexcept : m_fd(other.release()) {}
    UniqueFd &operator=(UniqueFd &&other) noexcept
    {
        reset(other.release());
        return *this;
    }
    UniqueFd(const UniqueFd &) = delete;
    UniqueFd &operator=(const UniqueFd &) = delete;
    ~UniqueFd() { reset(); }

    int get() const { return m_fd; }
    bool isOpen() const { return m_fd >= 0; }
    explicit operator bool() const { return isOpen(); }
    // Hands the descriptor over; whoever takes it closes it.
    [[nodiscard]] int release() { return std::exchange(m_fd, -1); }
    void reset(int fd = -1)
    {
        if (m_fd >= 0)
            ::close(m_fd); // nothing was written through it that close() could still lose
        m_fd = fd;
    }

private:
    int m_fd = -1;
};

#include <dirent.h>
#include <memory>

struct DirStreamCloser
{
    void operator()(DIR *dir) const { closedir(dir); }
};
// An open folder being read entry by entry; closing it closes its descriptor.
using DirStream = std::unique_ptr<DIR, DirStreamCloser>;

// Reads the open folder `folder`, which the stream then owns; none when it cannot.
inline DirStream readFolder(UniqueFd folder)
{
    DirStream dir(fdopendir(folder.get()));
    if (dir)
        static_cast<void>(folder.release()); // the stream closes it now
    return dir;
}
