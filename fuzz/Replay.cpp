// Replays corpora through a fuzz target without a fuzzing engine, so the
// properties the target checks hold on every build and with any compiler:
// each file named, and each file in each folder named, goes once through
// LLVMFuzzerTestOneInput. A broken property aborts; a run that read nothing
// fails, since an empty or missing corpus proves nothing.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

namespace fs = std::filesystem;

std::vector<fs::path> inputFiles(int argc, char** argv) {
  std::vector<fs::path> files;
  for (int i = 1; i < argc; ++i) {
    const fs::path arg(argv[i]);
    if (!fs::is_directory(arg)) {
      files.push_back(arg);
      continue;
    }
    std::vector<fs::path> inFolder;
    for (const auto& entry : fs::directory_iterator(arg))
      if (entry.is_regular_file()) inFolder.push_back(entry.path());
    std::sort(inFolder.begin(), inFolder.end());
    files.insert(files.end(), inFolder.begin(), inFolder.end());
  }
  return files;
}

// A buffer of exactly the input's length, so that the sanitizers catch a
// read past its end.
bool replay(const fs::path& file) {
  std::ifstream in(file, std::ios::binary | std::ios::ate);
  if (!in) return false;
  const auto size = static_cast<size_t>(in.tellg());
  auto data = std::make_unique<uint8_t[]>(size);
  in.seekg(0);
  if (!in.read(reinterpret_cast<char*>(data.get()), static_cast<std::streamsize>(size))) return false;
  LLVMFuzzerTestOneInput(data.get(), size);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<fs::path> files = inputFiles(argc, argv);
  for (const fs::path& file : files) {
    if (!replay(file)) {
      std::fprintf(stderr, "cannot read %s\n", file.c_str());
      return 1;
    }
  }
  std::printf("replayed %zu inputs\n", files.size());
  return files.empty() ? 1 : 0;
}
