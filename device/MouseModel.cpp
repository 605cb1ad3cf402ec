#include "device/MouseModel.h"

MouseModel mouseModel;

uint8_t MouseModel::reportMask() const {
  std::lock_guard<std::recursive_mutex> hold(m_lock);
  return m_config.reportMask();
}
