#include "platform/linux/signal_watcher.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>

namespace orvessa {
namespace {

// The pipe's ends; -1 while no watcher exists.
std::atomic<int> g_write_end{-1};
int g_read_end = -1;

extern "C" void OnSignal(int signal_number) {
  const int saved_errno = errno;
  const int fd = g_write_end.load();
  if (fd >= 0) {
    const unsigned char byte = static_cast<unsigned char>(signal_number);
    (void)!::write(fd, &byte, 1);
  }
  errno = saved_errno;
}

}  // namespace

SignalWatcher::SignalWatcher(std::initializer_list<int> signals_watched, QObject* parent)
    : QObject(parent), watched_(signals_watched) {
  if (g_write_end.load() >= 0) return;
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) return;
  g_read_end = fds[0];
  g_write_end.store(fds[1]);
  notifier_ = std::make_unique<QSocketNotifier>(g_read_end, QSocketNotifier::Read);
  connect(notifier_.get(), &QSocketNotifier::activated, this, [this] { Drain(); });
  for (int signal_number : watched_) {
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(signal_number, &action, nullptr);
  }
}

SignalWatcher::~SignalWatcher() {
  if (!notifier_) return;
  for (int signal_number : watched_) ::signal(signal_number, SIG_DFL);
  notifier_.reset();
  const int write_end = g_write_end.exchange(-1);
  ::close(write_end);
  ::close(g_read_end);
  g_read_end = -1;
}

void SignalWatcher::Drain() {
  unsigned char bytes[16];
  ssize_t got;
  while ((got = ::read(g_read_end, bytes, sizeof bytes)) > 0) {
    for (ssize_t i = 0; i < got; ++i) emit Received(bytes[i]);
  }
}

}  // namespace orvessa
