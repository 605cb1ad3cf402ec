// Runs a fuzz target without libFuzzer: every file of the seed corpus, then
// mutations of them (bit flips, byte changes, cuts, splices, random bytes) for
// a bounded time, with a fixed seed so that a failure repeats. The sanitizers
// of the host build catch what goes wrong.
//
//   fuzz_xxx [--seconds=N] [--seed=N] corpus-dir-or-file...
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <random>
#include <string>
#include <sys/stat.h>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

using Bytes = std::vector<uint8_t>;

bool readFile(const std::string& path, Bytes& out) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return false;
  uint8_t buffer[4096];
  size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, f)) > 0) out.insert(out.end(), buffer, buffer + got);
  std::fclose(f);
  return true;
}

void collect(const std::string& path, std::vector<Bytes>& corpus) {
  struct stat st;
  if (stat(path.c_str(), &st) != 0) return;
  if (S_ISDIR(st.st_mode)) {
    DIR* dir = opendir(path.c_str());
    if (!dir) return;
    while (dirent* entry = readdir(dir)) {
      if (entry->d_name[0] == '.') continue;
      collect(path + "/" + entry->d_name, corpus);
    }
    closedir(dir);
    return;
  }
  Bytes bytes;
  if (readFile(path, bytes)) corpus.push_back(std::move(bytes));
}

Bytes mutate(const std::vector<Bytes>& corpus, std::mt19937& rng) {
  Bytes data = corpus[rng() % corpus.size()];
  int rounds = 1 + static_cast<int>(rng() % 4);
  for (int r = 0; r < rounds; ++r) {
    switch (rng() % 7) {
      case 0:  // flip a bit
        if (!data.empty()) data[rng() % data.size()] ^= static_cast<uint8_t>(1u << (rng() % 8));
        break;
      case 1:  // set a byte to an interesting value
        if (!data.empty()) {
          static const uint8_t values[] = {0x00, 0x01, 0x07, 0x7F, 0x80, 0xFE, 0xFF};
          data[rng() % data.size()] = values[rng() % sizeof values];
        }
        break;
      case 2:  // cut the tail
        if (!data.empty()) data.resize(rng() % data.size());
        break;
      case 3:  // insert random bytes
        {
          size_t at = data.empty() ? 0 : rng() % (data.size() + 1);
          size_t count = 1 + rng() % 8;
          for (size_t i = 0; i < count; ++i) data.insert(data.begin() + static_cast<long>(at), static_cast<uint8_t>(rng()));
        }
        break;
      case 4:  // splice with another input
        {
          const Bytes& other = corpus[rng() % corpus.size()];
          if (!other.empty()) {
            size_t from = rng() % other.size();
            size_t at = data.empty() ? 0 : rng() % data.size();
            data.resize(at);
            data.insert(data.end(), other.begin() + static_cast<long>(from), other.end());
          }
        }
        break;
      case 5:  // overwrite a 32-bit value
        if (data.size() >= 4) {
          size_t at = rng() % (data.size() - 3);
          uint32_t v = rng();
          std::memcpy(&data[at], &v, 4);
        }
        break;
      default:  // fully random input
        data.assign(rng() % 300, 0);
        for (auto& b : data) b = static_cast<uint8_t>(rng());
        break;
    }
  }
  return data;
}

}  // namespace

int main(int argc, char** argv) {
  double seconds = 10;
  unsigned seed = 12345;
  std::vector<Bytes> corpus;
  for (int i = 1; i < argc; ++i) {
    if (std::strncmp(argv[i], "--seconds=", 10) == 0) seconds = std::atof(argv[i] + 10);
    else if (std::strncmp(argv[i], "--seed=", 7) == 0) seed = static_cast<unsigned>(std::strtoul(argv[i] + 7, nullptr, 10));
    else collect(argv[i], corpus);
  }
  for (const Bytes& input : corpus) LLVMFuzzerTestOneInput(input.data(), input.size());
  if (corpus.empty()) corpus.push_back(Bytes());

  std::mt19937 rng(seed);
  auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  unsigned long runs = 0;
  while (std::chrono::steady_clock::now() < deadline) {
    for (int i = 0; i < 256; ++i, ++runs) {
      Bytes input = mutate(corpus, rng);
      LLVMFuzzerTestOneInput(input.data(), input.size());
    }
  }
  std::printf("%lu inputs from %zu seeds, no fault found\n", runs, corpus.size());
  return 0;
}
