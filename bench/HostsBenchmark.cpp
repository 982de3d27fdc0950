// Parse, rewrite and search speed of the portable model on a 200,000-line blocklist.
#include "SampleHostsFile.h"

#include "editing/EntrySearch.h"
#include "hosts/HostsDocument.h"
#include "hosts/LineSplitter.h"

#include <benchmark/benchmark.h>

namespace
{
const int kLines = 200000;

const std::string& SampleBytes()
{
    static const std::string bytes = MakeSampleHostsFile(kLines);
    return bytes;
}

const std::wstring& SampleText()
{
    static const std::wstring text(SampleBytes().begin(), SampleBytes().end());
    return text;
}

void Load(CHostsDocument& document, const std::wstring& text)
{
    document.Clear();
    for (std::wstring_view line : CLineSplitter::Split<wchar_t>(text))
        document.AppendLine(line);
    document.FinishLoad();
}

void BM_Parse(benchmark::State& state)
{
    const std::wstring& text = SampleText();
    CHostsDocument document;
    for (auto _ : state)
    {
        Load(document, text);
        benchmark::DoNotOptimize(document.GetEntryCount());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * SampleBytes().size());
    state.counters["entries"] = document.GetEntryCount();
}
BENCHMARK(BM_Parse)->Unit(benchmark::kMillisecond);

void BM_Format(benchmark::State& state)
{
    CHostsDocument document;
    Load(document, SampleText());
    size_t written = 0;
    for (auto _ : state)
    {
        const std::wstring out = document.FormatRecords();
        written = out.size();
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * written);
}
BENCHMARK(BM_Format)->Unit(benchmark::kMillisecond);

// A miss walks every entry: the worst case of one Find next.
void BM_FindEntryMiss(benchmark::State& state)
{
    CHostsDocument document;
    Load(document, SampleText());
    const std::wstring address;
    const std::wstring host = L"no-such-host";
    const std::wstring comment;
    for (auto _ : state)
        benchmark::DoNotOptimize(FindEntry(document, 0, 1, address, host, comment));
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * document.GetEntryCount());
    state.counters["entries"] = document.GetEntryCount();
}
BENCHMARK(BM_FindEntryMiss)->Unit(benchmark::kMillisecond);
} // namespace

BENCHMARK_MAIN();
