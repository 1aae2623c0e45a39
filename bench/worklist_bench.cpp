// "Add All" without a window: the folder walk alone, the walk feeding the
// work list (mode filter, duplicate test, row, total, status line per row),
// and the duplicate test on a full list.
//
//   worklist_bench [benchmark flags]        Google Benchmark over a generated
//                                           tree of 10,000 files in 100 folders
//   worklist_bench --add-all DIR            one Add All over DIR, for timing
//   worklist_bench --walk-only DIR          one walk over DIR, nothing kept
// The one-shot modes print the rows, the total and the seconds taken.

#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "app/FileIterator.h"
#include "app/WorkList.h"
#include "platform/Interruption.h"

namespace {

using namespace vls;

// Walks folder and its subfolders as "Add A&ll" in Encrypt mode with the
// filter "All Files (*.*)" does, a safe point per file; the status line
// texts are built as the window would show them.
std::size_t AddAll(TWorkList& list, const std::string& folder, std::size_t& status_chars) {
  TFileIterator iterator;
  iterator.SetRootFolder(folder);
  iterator.OnAddFileQuery = [](TFileIterator&, const std::string& path, const TFileInfo&,
                               bool& can_add) {
    ThrowIfInterrupted();
    can_add = AcceptForMode(WorkMode::Encrypt, "All Files (*.*)", path);
  };
  iterator.OnAddFile = [&list](TFileIterator&, const std::string& path, const TFileInfo& info) {
    list.AddEntry(path, WorkMode::Encrypt, &info);
  };
  list.StatusLine = [&status_chars](const QString& line) { status_chars += line.size(); };
  TWorkList::Batch batch(list);
  iterator.Execute();
  return static_cast<std::size_t>(list.Count());
}

std::size_t WalkOnly(const std::string& folder) {
  std::size_t files = 0;
  TFileIterator iterator;
  iterator.SetRootFolder(folder);
  iterator.OnAddFile = [&files](TFileIterator&, const std::string&, const TFileInfo&) { ++files; };
  iterator.Execute();
  return files;
}

// A tree of folders x files empty-ish files, made once per run of the program.
const std::string& Tree() {
  static const std::string root = [] {
    std::string pattern = (std::filesystem::temp_directory_path() / "vls-worklist-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr)
      std::abort();
    for (int d = 0; d < 100; ++d) {
      const std::string folder = pattern + "/folder" + std::to_string(d);
      ::mkdir(folder.c_str(), 0755);
      for (int f = 0; f < 100; ++f) {
        std::ofstream(folder + "/file" + std::to_string(f) + ".txt") << "data";
      }
    }
    std::atexit([] { std::filesystem::remove_all(root); });
    return pattern;
  }();
  return root;
}

void BM_Walk(benchmark::State& state) {
  for (auto _ : state)
    benchmark::DoNotOptimize(WalkOnly(Tree()));
  state.SetItemsProcessed(state.iterations() * 10000);
}
BENCHMARK(BM_Walk)->Unit(benchmark::kMillisecond);

void BM_AddAll(benchmark::State& state) {
  std::size_t chars = 0;
  for (auto _ : state) {
    TWorkList list;
    benchmark::DoNotOptimize(AddAll(list, Tree(), chars));
  }
  state.SetItemsProcessed(state.iterations() * 10000);
}
BENCHMARK(BM_AddAll)->Unit(benchmark::kMillisecond);

// The duplicate test of one candidate against a list of 100,000 rows.
void BM_DuplicateTest(benchmark::State& state) {
  TWorkList list;
  {
    TWorkList::Batch batch(list);
    for (int i = 0; i < 100000; ++i) {
      list.AddEntry("/nowhere/folder" + std::to_string(i / 100) + "/file" + std::to_string(i),
                    WorkMode::Wipe);
    }
  }
  const std::string candidate = "/nowhere/folder500/file50050";
  for (auto _ : state)
    benchmark::DoNotOptimize(list.Contains(candidate));
}
BENCHMARK(BM_DuplicateTest);

void BM_SummaryText(benchmark::State& state) {
  std::int64_t count = 5'000'000'000;
  for (auto _ : state)
    benchmark::DoNotOptimize(SizeText(count++, "."));
}
BENCHMARK(BM_SummaryText);

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 &&
      (std::strcmp(argv[1], "--add-all") == 0 || std::strcmp(argv[1], "--walk-only") == 0)) {
    const auto start = std::chrono::steady_clock::now();
    std::size_t rows = 0;
    long long total = 0;
    std::size_t status_chars = 0;
    if (std::strcmp(argv[1], "--add-all") == 0) {
      TWorkList list;
      rows = AddAll(list, argv[2], status_chars);
      total = list.TotalBytes();
    } else {
      rows = WalkOnly(argv[2]);
    }
    const std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - start;
    std::printf("rows %zu total %lld status-chars %zu seconds %.3f\n", rows, total, status_chars,
                seconds.count());
    return 0;
  }
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
