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

// How long the thread waits for something to read before looking at the
// stop flag again: a socket closed by another thread does not reliably wake a
// blocked call.
constexpr long kPollMicroseconds = 100000;
// A peer that stops reading its answers holds the channel no longer than this.
constexpr DWORD kSendTimeoutMs = 5000;

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
  m_thread = std::thread([this] { serveLoop(); });
  return true;
}

void ControlChannel::stop() {
  if (m_listener == kNoSocket) return;
  // The thread sees the flag within one poll, closes the connections and ends.
  m_stopping = true;
  if (m_thread.joinable()) m_thread.join();
  ::closesocket(m_listener);
  m_listener = kNoSocket;
  m_port = 0;
}

void ControlChannel::serveLoop() {
  while (!m_stopping) {
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(m_listener, &readable);
    for (const Connection& connection : m_connections) FD_SET(connection.socket, &readable);
    timeval wait = {0, kPollMicroseconds};
    const int ready = ::select(0, &readable, nullptr, nullptr, &wait);
    if (ready == 0) continue;
    if (ready < 0) {
      // A channel whose sockets keep failing must not spin a core.
      ::Sleep(kPollMicroseconds / 1000);
      continue;
    }
    for (auto it = m_connections.begin(); it != m_connections.end();) {
      if (FD_ISSET(it->socket, &readable) && !serve(*it)) {
        // The peer sees the end at once.
        ::shutdown(it->socket, SD_BOTH);
        ::closesocket(it->socket);
        it = m_connections.erase(it);
      } else {
        ++it;
      }
    }
    if (FD_ISSET(m_listener, &readable)) accept();
  }
  for (const Connection& connection : m_connections) ::closesocket(connection.socket);
  m_connections.clear();
}

void ControlChannel::accept() {
  SOCKET socket = ::accept(m_listener, nullptr, nullptr);
  if (socket == INVALID_SOCKET) return;
  if (m_connections.size() >= kMaxConnections) {
    sendAll(socket, "error too many connections\n");
    ::shutdown(socket, SD_BOTH);
    ::closesocket(socket);
    return;
  }
  DWORD timeout = kSendTimeoutMs;
  ::setsockopt(socket, SOL_SOCKET, SO_SNDTIMEO, reinterpret_cast<const char*>(&timeout), sizeof(timeout));
  m_connections.push_back({socket, std::string()});
}

bool ControlChannel::serve(Connection& connection) {
  char buffer[1024];
  const int n = ::recv(connection.socket, buffer, sizeof(buffer), 0);
  if (n < 0) return false;
  if (n == 0) {
    // The peer stopped sending; a last line without its line end is still
    // answered.
    if (connection.pending.empty()) return false;
    connection.pending += '\n';
  } else {
    connection.pending.append(buffer, static_cast<size_t>(n));
  }
  size_t newline;
  while ((newline = connection.pending.find('\n')) != std::string::npos) {
    std::string line = connection.pending.substr(0, newline);
    connection.pending.erase(0, newline + 1);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    ControlAnswer answer = m_execute(line);
    std::string text;
    for (const std::string& l : answer.lines) text += l + "\n";
    if (!sendAll(connection.socket, text) || answer.closeConnection) return false;
  }
  if (connection.pending.size() > kMaxLine) {
    sendAll(connection.socket, "error line too long\n");
    return false;
  }
  return n > 0;
}
