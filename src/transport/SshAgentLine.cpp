#include "transport/SshAgentLine.h"

#include <fcntl.h>
#include <libssh/libssh.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <thread>

bool SshAgentLine::attach(ssh_session session) {
  const char* path = std::getenv("SSH_AUTH_SOCK");
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (path == nullptr || *path == '\0' || std::strlen(path) >= sizeof address.sun_path) return false;
  std::strncpy(address.sun_path, path, sizeof address.sun_path - 1);
  // Without blocking: an agent whose queue is full is no agent either.
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  if (fd < 0) return false;
  if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
      ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0 || ssh_set_agent_socket(session, fd) != SSH_OK) {
    ::close(fd);
    return false;
  }
  m_fd = fd;
  return true;
}

int SshAgentLine::bounded(int waitMs, const std::function<int()>& step) const {
  if (m_fd < 0) return step();
  std::mutex mutex;
  std::condition_variable stepDone;
  bool done = false;
  std::thread watchdog([&, fd = m_fd] {
    std::unique_lock lock(mutex);
    if (!stepDone.wait_for(lock, std::chrono::milliseconds(waitMs), [&] { return done; })) ::shutdown(fd, SHUT_RDWR);
  });
  const int result = step();
  {
    const std::lock_guard lock(mutex);
    done = true;
  }
  stepDone.notify_one();
  watchdog.join();
  return result;
}
