// The virtual mouse's control channel: a line protocol on 127.0.0.1 (the
// commands are those of ControlCommands). One thread accepts connections and
// serves them all, a line at a time, so that however many tests or people
// connect, and however often, the program keeps the threads it has of its
// own: its memory and counts are the program's, not the channel's. A
// connection may send any number of commands. Answers end with "\n", so a
// person can talk to it with nc.
#pragma once
#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "vmouse/ControlCommands.h"

class ControlChannel {
public:
  static constexpr uint16_t kDefaultPort = 47017;
  static constexpr size_t kMaxLine = 8192;
  // Connections open at once; one more is told so and closed.
  static constexpr size_t kMaxConnections = 32;

  // `execute` runs one command line, on the channel's thread.
  explicit ControlChannel(std::function<ControlAnswer(const std::string&)> execute);
  ~ControlChannel();
  ControlChannel(const ControlChannel&) = delete;
  ControlChannel& operator=(const ControlChannel&) = delete;

  // Listens on 127.0.0.1:`port` (0: any free port) and starts serving.
  bool start(uint16_t port);
  // Stops serving, closes every connection and waits for the thread.
  void stop();
  // The port listened on, 0 when not listening.
  uint16_t port() const { return m_port; }

  // The port asked for by SKIVOL_VMOUSE_PORT, else kDefaultPort.
  static uint16_t configuredPort();

private:
  // Winsock's SOCKET, kept out of this header so that it can follow
  // <windows.h> in any file.
  using Socket = uintptr_t;
  static constexpr Socket kNoSocket = ~Socket(0);

  struct Connection {
    Socket socket = kNoSocket;
    std::string pending;  // received, not yet a whole line
  };

  void serveLoop();
  void accept();
  // Reads what `connection` sent and answers its whole lines; false when it
  // is to be closed.
  bool serve(Connection& connection);

  std::function<ControlAnswer(const std::string&)> m_execute;
  Socket m_listener = kNoSocket;
  uint16_t m_port = 0;
  std::thread m_thread;
  std::vector<Connection> m_connections;  // the thread's alone
  std::atomic<bool> m_stopping{false};
};
