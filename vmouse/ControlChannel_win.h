// The virtual mouse's control channel: a line protocol on 127.0.0.1 (the
// commands are those of ControlCommands). A thread accepts connections; each
// connection gets a thread of its own and may send any number of commands.
// Answers end with "\n", so a person can talk to it with nc.
#pragma once
#include <atomic>
#include <cstdint>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "vmouse/ControlCommands.h"

class ControlChannel {
public:
  static constexpr uint16_t kDefaultPort = 47017;
  static constexpr size_t kMaxLine = 8192;

  // `execute` runs one command line; it is called from the connections'
  // threads, possibly at once.
  explicit ControlChannel(std::function<ControlAnswer(const std::string&)> execute);
  ~ControlChannel();
  ControlChannel(const ControlChannel&) = delete;
  ControlChannel& operator=(const ControlChannel&) = delete;

  // Listens on 127.0.0.1:`port` (0: any free port) and starts accepting.
  bool start(uint16_t port);
  // Stops accepting, closes every connection and waits for the threads.
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
    std::thread thread;
    std::atomic<bool> finished{false};
  };

  void acceptLoop();
  void serve(Connection& connection);
  void reapFinished();

  std::function<ControlAnswer(const std::string&)> m_execute;
  Socket m_listener = kNoSocket;
  uint16_t m_port = 0;
  std::thread m_acceptThread;
  std::mutex m_lock;
  std::list<std::unique_ptr<Connection>> m_connections;
  std::atomic<bool> m_stopping{false};
};
