// Parse, rewrite and search speed of the portable model on blocklists of 200,000 and
// 1,000,000 lines (the benchmark's argument).
#include "SampleHostsFile.h"

#include "editing/EntrySearch.h"
#include "hosts/HostsDocument.h"

#include <benchmark/benchmark.h>

#include <map>

namespace
{
// Made once per size: generating a million lines would otherwise dwarf what is measured.
const std::string& SampleBytes(int lines)
{
    static std::map<int, std::string> bytes;
    auto found = bytes.find(lines);
    if (found == bytes.end())
        found = bytes.emplace(lines, MakeSampleHostsFile(lines)).first;
    return found->second;
}

const std::wstring& SampleText(int lines)
{
    static std::map<int, std::wstring> texts;
    auto found = texts.find(lines);
    if (found == texts.end())
    {
        const std::string& bytes = SampleBytes(lines);
        found = texts.emplace(lines, std::wstring(bytes.begin(), bytes.end())).first;
    }
    return found->second;
}

// As the reader does it: the decoded text handed over whole, then parsed.
void Load(CHostsDocument& document, std::wstring text)
{
    document.Clear();
    document.BeginLoad(std::move(text));
    while (document.ParseLines(100))
    {
    }
    document.FinishLoad();
}

void BM_Parse(benchmark::State& state)
{
    const int lines = static_cast<int>(state.range(0));
    const std::wstring& text = SampleText(lines);
    CHostsDocument document;
    for ([[maybe_unused]] auto _ : state)
    {
        // The reader's text comes from the conversion; its copy here is not the parser's work.
        state.PauseTiming();
        std::wstring copy = text;
        state.ResumeTiming();
        Load(document, std::move(copy));
        benchmark::DoNotOptimize(document.GetEntryCount());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * SampleBytes(lines).size()));
    state.counters["entries"] = document.GetEntryCount();
}
BENCHMARK(BM_Parse)->Arg(200000)->Arg(1000000)->Unit(benchmark::kMillisecond);

void BM_Format(benchmark::State& state)
{
    CHostsDocument document;
    Load(document, SampleText(static_cast<int>(state.range(0))));
    size_t written = 0;
    for ([[maybe_unused]] auto _ : state)
    {
        const std::wstring out = document.FormatRecords();
        written = out.size();
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * written));
}
BENCHMARK(BM_Format)->Arg(200000)->Arg(1000000)->Unit(benchmark::kMillisecond);

// A miss walks every entry: the worst case of one Find next.
void BM_FindEntryMiss(benchmark::State& state)
{
    CHostsDocument document;
    Load(document, SampleText(static_cast<int>(state.range(0))));
    const std::wstring address;
    const std::wstring host = L"no-such-host";
    const std::wstring comment;
    for ([[maybe_unused]] auto _ : state)
        benchmark::DoNotOptimize(FindEntry(document, 0, 1, address, host, comment));
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * document.GetEntryCount());
    state.counters["entries"] = document.GetEntryCount();
}
BENCHMARK(BM_FindEntryMiss)->Arg(200000)->Arg(1000000)->Unit(benchmark::kMillisecond);
} // namespace

BENCHMARK_MAIN();
