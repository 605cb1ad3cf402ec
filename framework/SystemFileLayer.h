// The file steps of a save on the system's own files.
#pragma once
#include "framework/FileLayer.h"

class SystemFileLayer : public FileLayer {
public:
  bool exists(const std::string& path) override;
  bool readOnly(const std::string& path) override;
  bool overwrite(const std::string& path, const std::string& bytes) override;
  bool rewrite(const std::string& path, const std::string& bytes) override;
  bool read(const std::string& path, std::string& bytes) override;
  bool create(const std::string& path, const std::string& bytes) override;
  bool swapIn(const std::string& from, const std::string& to) override;
  bool remove(const std::string& path) override;

  // The one every save uses unless told otherwise.
  static SystemFileLayer& instance();
};
