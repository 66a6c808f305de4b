// Packing and opening a packet, against a plain copy of the same bytes as the floor.
#include <benchmark/benchmark.h>

#include <cstring>
#include <string>

#include "net/Packet.h"

namespace {

const nuv::packet::Stamp kStamp{2026, 12, 6, 8, 34, 45};

void BM_PackPacket(benchmark::State& state) {
    std::string body(static_cast<size_t>(state.range(0)), 'x');
    std::string packet;
    for (auto _ : state) {
        nuv::packet::Pack(body, 6, kStamp, packet);
        benchmark::DoNotOptimize(packet.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
}

void BM_OpenPacket(benchmark::State& state) {
    std::string packet, body;
    nuv::packet::Pack(std::string(static_cast<size_t>(state.range(0)), 'x'), 6, kStamp, packet);
    for (auto _ : state) {
        nuv::packet::Open(packet, body);
        benchmark::DoNotOptimize(body.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
}

// The floor: copying the same number of bytes into a buffer of the packet's size.
void BM_CopyFloor(benchmark::State& state) {
    std::string body(static_cast<size_t>(state.range(0)), 'x');
    std::string out;
    for (auto _ : state) {
        out.assign(body.size() + 13, '\0');
        std::memcpy(out.data() + 12, body.data(), body.size());
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
}

}  // namespace

BENCHMARK(BM_PackPacket)->Arg(37)->Arg(1024)->Arg(65000);
BENCHMARK(BM_OpenPacket)->Arg(37)->Arg(1024)->Arg(65000);
BENCHMARK(BM_CopyFloor)->Arg(37)->Arg(1024)->Arg(65000);
BENCHMARK_MAIN();
