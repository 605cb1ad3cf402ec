#include "framework/FileSaver.h"

#include "framework/SystemFileLayer.h"

namespace {
constexpr char kTemporarySuffix[] = ".tmp";
}  // namespace

FileSaver::FileSaver(FileLayer& layer) : m_layer(layer) {}

FileSaver::FileSaver() : m_layer(SystemFileLayer::instance()) {}

std::string FileSaver::temporaryPath(const std::string& path) { return path + kTemporarySuffix; }

bool FileSaver::save(const std::string& path, const std::string& bytes, Existing way) {
  if (m_layer.readOnly(path)) return false;
  const bool exists = m_layer.exists(path);
  if (exists && way == Existing::RewriteInPlace) return m_layer.overwrite(path, bytes);
  const std::string temporary = temporaryPath(path);
  if (m_layer.create(temporary, bytes)) {
    if (m_layer.swapIn(temporary, path)) return true;
    m_layer.remove(temporary);
    return false;
  }
  m_layer.remove(temporary);
  // The folder takes no new file: the existing one is rewritten where it
  // stands, once its new content is safe in the journal.
  if (!exists || m_journal.empty()) return false;
  if (!FileSaver(m_layer).save(m_journal, bytes, Existing::SwapIn)) return false;
  // A rewrite that failed half way leaves the journal for recover().
  if (!m_layer.rewrite(path, bytes)) return false;
  m_layer.remove(m_journal);
  return true;
}

bool FileSaver::recover(const std::string& path) {
  std::string bytes;
  if (m_journal.empty() || !m_layer.exists(m_journal) || !m_layer.read(m_journal, bytes)) return false;
  if (m_layer.readOnly(path) || !m_layer.exists(path) || !m_layer.rewrite(path, bytes)) return false;
  m_layer.remove(m_journal);
  return true;
}
