// Unpacking a package the size of the shipped one (121 entries, 13 MB)
// against a plain recursive copy of the same tree with "cp -r".
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "pack_writer.h"
#include "package.h"

namespace fs = std::filesystem;

namespace {

const int kEntries = 121;
const uint64_t kTotalBytes = 13ull * 1024 * 1024;

fs::path g_root;

std::string LauncherPath(const fs::path& path) {
  std::string text = path.string();
  for (char& c : text)
    if (c == '/') c = '\\';
  return text;
}

// A tree shaped like the game's: a big program at the root, the engine,
// turn files, and many media and script files of uneven sizes.
std::vector<PackItem> MakeItems() {
  std::mt19937 random(12345);
  std::vector<uint64_t> weights;
  uint64_t sum = 0;
  for (int i = 0; i < kEntries; ++i) {
    uint64_t w = i == 0 ? 400 : i == 1 ? 60 : 1 + random() % 40;
    weights.push_back(w);
    sum += w;
  }
  std::vector<PackItem> items;
  for (int i = 0; i < kEntries; ++i) {
    PackItem item;
    if (i == 0)
      item.name = "\\Mirq.exe";
    else if (i == 1)
      item.name = "\\data\\Mirqmind.exe";
    else if (i < 8)
      item.name = "\\save_data\\turn" + std::to_string(i) + ".mvdf";
    else if (i == 8)
      item.name = "\\start.mirq";
    else
      item.name = "\\media\\set" + std::to_string(i % 6) + "\\file" + std::to_string(i) + ".msdf";
    uint64_t size = i == 8 ? 0 : kTotalBytes * weights[i] / sum;
    item.content.resize(size);
    for (char& c : item.content) c = static_cast<char>(random());
    items.push_back(std::move(item));
  }
  return items;
}

void Prepare() {
  g_root = fs::temp_directory_path() /
           ("mirq-unpack-bench-" + std::to_string(std::random_device()() % 100000));
  fs::remove_all(g_root);
  fs::create_directories(g_root / "source");
  std::vector<PackItem> items = MakeItems();
  for (const PackItem& item : items) {
    std::string relative = item.name.substr(1);
    for (char& c : relative)
      if (c == '\\') c = '/';
    fs::create_directories((g_root / "source" / relative).parent_path());
    std::ofstream(g_root / "source" / relative, std::ios::binary) << item.content;
  }
  std::string package, packed, error;
  if (!BuildPackage(items, package, error) ||
      !BuildPackedLauncher("IMAGE", package, packed, error) ||
      !WriteWholeFile(g_root / "package.mpk", package, error) ||
      !WriteWholeFile(g_root / "packed.bin", packed, error)) {
    std::fprintf(stderr, "cannot prepare the bench: %s\n", error.c_str());
    std::exit(1);
  }
}

void FreshDestination(const fs::path& dest, bool create) {
  fs::remove_all(dest);
  if (create) fs::create_directories(dest);
}

void BM_Unpack(benchmark::State& state) {
  fs::path dest = g_root / "unpacked";
  for (auto _ : state) {
    state.PauseTiming();
    FreshDestination(dest, true);
    state.ResumeTiming();
    CPackage package;
    if (package.Unpack(LauncherPath(g_root / "package.mpk"), LauncherPath(dest)) != kUnpackOk)
      state.SkipWithError("unpack failed");
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kTotalBytes));
}

void BM_ExtractPayload(benchmark::State& state) {
  fs::path dest = g_root / "extracted";
  for (auto _ : state) {
    state.PauseTiming();
    FreshDestination(dest, true);
    state.ResumeTiming();
    if (ExtractPayload(LauncherPath(g_root / "packed.bin"), LauncherPath(dest)) != kExtractOk)
      state.SkipWithError("extraction failed");
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kTotalBytes));
}

void BM_CopyTreeWithCp(benchmark::State& state) {
  fs::path dest = g_root / "copied";
  std::string command = "cp -r \"" + (g_root / "source").string() + "\" \"" + dest.string() + "\"";
  for (auto _ : state) {
    state.PauseTiming();
    FreshDestination(dest, false);
    state.ResumeTiming();
    if (std::system(command.c_str()) != 0) state.SkipWithError("cp -r failed");
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kTotalBytes));
}

}  // namespace

BENCHMARK(BM_Unpack)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ExtractPayload)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CopyTreeWithCp)->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  Prepare();
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  fs::remove_all(g_root);
  return 0;
}
