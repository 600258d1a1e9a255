// The registry on the in-memory tree at network sizes from 1,000 to 50,000
// stations: a full load (one process per 50 stations, a station and a line per
// station), a full status refresh, the deletion of a PATHMON's objects and the
// look-up by node. Each runs on the product's registry (TXPNetObjList) and on
// PlainObjList, its indexes as plain standard containers, side by side: the
// figures in TXPNetObjList.h come from here. The per_station counter stays
// flat when the cost is linear.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "PlainObjList.h"
#include "ncp/MemoryTree.h"
#include "ncp/TXPNetObjList.h"

namespace {

constexpr int kStationsPerProcess = 50;

struct Network {
  explicit Network(int stations) {
    for (int p = 0; p < (stations + kStationsPerProcess - 1) / kStationsPerProcess; ++p) {
      processes.push_back("TCPIP" + std::to_string(p));
    }
    for (int s = 0; s < stations; ++s) {
      this->stations.push_back("ST" + std::to_string(s));
      lines.push_back("L" + std::to_string(s));
    }
  }
  const std::string& processOf(size_t station) const { return processes[station % processes.size()]; }

  std::vector<std::string> processes, stations, lines;
};

template <class Registry>
void load(Registry& reg, ncp::TreeNode* host, const Network& net) {
  reg.AddPathmon(host, "$PM01");
  for (const auto& p : net.processes) reg.AddProcess("$PM01", p, nsStarted);
  for (size_t s = 0; s < net.stations.size(); ++s) {
    reg.AddStation(net.processOf(s), net.stations[s]);
    reg.AddLine(net.processOf(s), net.lines[s]);
  }
}

template <class Registry>
void refresh(Registry& reg, const Network& net, TXPNetStatus status) {
  for (const auto& p : net.processes) reg.SetStatusObj(p, xpProcess, status);
  for (const auto& s : net.stations) reg.SetStatusObj(s, xpStation, status);
  for (const auto& l : net.lines) reg.SetStatusObj(l, xpLine, status);
}

void perStation(benchmark::State& state) {
  state.counters["per_station"] = benchmark::Counter(
      static_cast<double>(state.range(0)), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

template <class Registry>
void BM_LoadAndRefresh(benchmark::State& state) {
  const Network net(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    ncp::MemoryTree tree;
    Registry reg;
    reg.SetTreeNodes(&tree);
    load(reg, tree.addChild(nullptr, "\\SYS1"), net);
    refresh(reg, net, nsStopped);
    benchmark::DoNotOptimize(reg.Items().size());
    state.PauseTiming();  // the teardown is not the registry's work
    reg.Clear();
    tree.clear();
    state.ResumeTiming();
  }
  perStation(state);
}

template <class Registry>
void BM_StatusRefresh(benchmark::State& state) {
  const Network net(static_cast<int>(state.range(0)));
  ncp::MemoryTree tree;
  Registry reg;
  reg.SetTreeNodes(&tree);
  load(reg, tree.addChild(nullptr, "\\SYS1"), net);
  bool stopped = false;
  for (auto _ : state) {
    refresh(reg, net, (stopped = !stopped) ? nsStopped : nsStarted);
  }
  perStation(state);
}

template <class Registry>
void BM_DeletePathmonChildren(benchmark::State& state) {
  const Network net(static_cast<int>(state.range(0)));
  ncp::MemoryTree tree;
  Registry reg;
  reg.SetTreeNodes(&tree);
  ncp::TreeNode* host = tree.addChild(nullptr, "\\SYS1");
  for (auto _ : state) {
    state.PauseTiming();
    reg.Clear();
    tree.deleteNode(host);
    host = tree.addChild(nullptr, "\\SYS1");
    load(reg, host, net);
    state.ResumeTiming();
    reg.DeletePathmonChildren();
  }
  perStation(state);
}

template <class Registry>
void BM_FindByNode(benchmark::State& state) {
  const Network net(static_cast<int>(state.range(0)));
  ncp::MemoryTree tree;
  Registry reg;
  reg.SetTreeNodes(&tree);
  load(reg, tree.addChild(nullptr, "\\SYS1"), net);
  for (auto _ : state) {
    for (const auto& e : reg.Items()) benchmark::DoNotOptimize(reg.FindByNode(e->Node));
  }
  perStation(state);
}

#define NETWORK_SIZES Arg(1000)->Arg(10000)->Arg(50000)->Unit(benchmark::kMillisecond)
#define ON_BOTH(bm)                                     \
  BENCHMARK_TEMPLATE(bm, TXPNetObjList)->NETWORK_SIZES; \
  BENCHMARK_TEMPLATE(bm, PlainObjList)->NETWORK_SIZES
ON_BOTH(BM_LoadAndRefresh);
ON_BOTH(BM_StatusRefresh);
ON_BOTH(BM_DeletePathmonChildren);
ON_BOTH(BM_FindByNode);

}  // namespace
