// The program's configuration (MouseConfig) and the lock that guards it.
//
// The window's thread is its only writer, and reads it through config()
// without the lock: nothing else writes. Every write is a change(), which
// holds the lock while it lives. Other threads read the report mask through
// reportMask(), under the lock, and set the two run-time flags (atomic): the
// device re-scan's worker marks the DPI state unsynced, the watch thread
// requests the exit.
//
// Lock order: the HID link's lock, then this one; a change never calls the
// link while it holds the lock.
#pragma once
#include <cstdint>
#include <mutex>

#include "device/MouseConfig.h"

class MouseModel {
 public:
  // The model being changed; holds its lock until it goes.
  class Change {
   public:
    MouseConfig* operator->() const { return &m_config; }
    MouseConfig& operator*() const { return m_config; }

   private:
    friend class MouseModel;
    Change(MouseConfig& config, std::recursive_mutex& lock) : m_hold(lock), m_config(config) {}
    std::unique_lock<std::recursive_mutex> m_hold;
    MouseConfig& m_config;
  };

  // On the window's thread.
  const MouseConfig& config() const { return m_config; }
  Change change() { return Change(m_config, m_lock); }

  // On any thread.
  uint8_t reportMask() const;
  void markDpiUnsynced() { m_config.dpiSyncPending = true; }
  void requestExit() { m_config.exitRequested = true; }
  bool exitRequested() const { return m_config.exitRequested; }

 private:
  MouseConfig m_config;
  mutable std::recursive_mutex m_lock;
};

// The process's model.
extern MouseModel mouseModel;
