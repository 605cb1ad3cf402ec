#include <winsock2.h>
#include <ws2tcpip.h>

#include "vmouse/ControlChannel_win.h"

#include <cstdlib>
#include <utility>

namespace {

bool startWinsock() {
  static const bool started = [] {
    WSADATA data;
    return ::WSAStartup(MAKEWORD(2, 2), &data) == 0;
  }();
  return started;
}

// Waits until `socket` has something to read (or a connection to accept),
// looking up every so often: a socket closed by another thread does not
// reliably wake a blocked call.
constexpr long kPollMicroseconds = 100000;

bool readable(SOCKET socket) {
  fd_set set;
  FD_ZERO(&set);
  FD_SET(socket, &set);
  timeval wait = {0, kPollMicroseconds};
  // An error counts as readable: the call that follows reports it.
  return ::select(0, &set, nullptr, nullptr, &wait) != 0;
}

bool sendAll(SOCKET socket, const std::string& text) {
  size_t sent = 0;
  while (sent < text.size()) {
    int n = ::send(socket, text.data() + sent, static_cast<int>(text.size() - sent), 0);
    if (n <= 0) return false;
    sent += static_cast<size_t>(n);
  }
  return true;
}

}  // namespace

ControlChannel::ControlChannel(std::function<ControlAnswer(const std::string&)> execute)
    : m_execute(std::move(execute)) {}

ControlChannel::~ControlChannel() { stop(); }

uint16_t ControlChannel::configuredPort() {
  const char* text = std::getenv("SKIVOL_VMOUSE_PORT");
  if (!text || !*text) return kDefaultPort;
  char* end = nullptr;
  long value = std::strtol(text, &end, 10);
  if (*end != '\0' || value < 0 || value > 65535) return kDefaultPort;
  return static_cast<uint16_t>(value);
}

bool ControlChannel::start(uint16_t port) {
  if (m_listener != kNoSocket || !startWinsock()) return false;
  SOCKET listener = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (listener == INVALID_SOCKET) return false;
  // One program per port: a second virtual mouse must not share the first's.
  BOOL exclusive = TRUE;
  ::setsockopt(listener, SOL_SOCKET, SO_EXCLUSIVEADDRUSE, reinterpret_cast<const char*>(&exclusive), sizeof(exclusive));
  sockaddr_in address = {};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(port);
  if (::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 || ::listen(listener, 8) != 0) {
    ::closesocket(listener);
    return false;
  }
  int length = sizeof(address);
  ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length);
  m_listener = listener;
  m_port = ntohs(address.sin_port);
  m_stopping = false;
  m_acceptThread = std::thread([this] { acceptLoop(); });
  return true;
}

void ControlChannel::stop() {
  if (m_listener == kNoSocket) return;
  // The threads see the flag within one poll and end.
  m_stopping = true;
  if (m_acceptThread.joinable()) m_acceptThread.join();
  ::closesocket(m_listener);
  m_listener = kNoSocket;
  m_port = 0;
  std::list<std::unique_ptr<Connection>> connections;
  {
    std::lock_guard<std::mutex> guard(m_lock);
    connections.swap(m_connections);
  }
  for (auto& connection : connections) {
    if (connection->thread.joinable()) connection->thread.join();
    ::closesocket(connection->socket);
  }
}

void ControlChannel::reapFinished() {
  std::lock_guard<std::mutex> guard(m_lock);
  for (auto it = m_connections.begin(); it != m_connections.end();) {
    if ((*it)->finished) {
      (*it)->thread.join();
      ::closesocket((*it)->socket);
      it = m_connections.erase(it);
    } else {
      ++it;
    }
  }
}

void ControlChannel::acceptLoop() {
  while (!m_stopping) {
    reapFinished();
    if (!readable(m_listener)) continue;
    SOCKET socket = ::accept(m_listener, nullptr, nullptr);
    if (socket == INVALID_SOCKET) {
      if (m_stopping) return;
      // A listener that keeps failing must not spin a core.
      ::Sleep(kPollMicroseconds / 1000);
      continue;
    }
    std::lock_guard<std::mutex> guard(m_lock);
    if (m_stopping) {
      ::closesocket(socket);
      return;
    }
    m_connections.push_back(std::make_unique<Connection>());
    Connection& connection = *m_connections.back();
    connection.socket = socket;
    connection.thread = std::thread([this, &connection] {
      serve(connection);
      // The peer sees the end at once; the socket itself is closed when the
      // thread is reaped.
      ::shutdown(connection.socket, SD_BOTH);
      connection.finished = true;
    });
  }
}

void ControlChannel::serve(Connection& connection) {
  std::string pending;
  char buffer[1024];
  for (;;) {
    size_t newline;
    while ((newline = pending.find('\n')) != std::string::npos) {
      std::string line = pending.substr(0, newline);
      pending.erase(0, newline + 1);
      if (!line.empty() && line.back() == '\r') line.pop_back();
      ControlAnswer answer = m_execute(line);
      std::string text;
      for (const std::string& l : answer.lines) text += l + "\n";
      if (!sendAll(connection.socket, text) || answer.closeConnection) return;
    }
    if (pending.size() > kMaxLine) {
      sendAll(connection.socket, "error line too long\n");
      return;
    }
    if (m_stopping) return;
    if (!readable(connection.socket)) continue;
    int n = ::recv(connection.socket, buffer, sizeof(buffer), 0);
    if (n == 0 && !pending.empty()) {
      // The peer stopped sending after a last line without its line end.
      pending += '\n';
      continue;
    }
    if (n <= 0) return;
    pending.append(buffer, static_cast<size_t>(n));
  }
}
