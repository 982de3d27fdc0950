// Wall time of a full load and a full record save of a hosts file (200,000 lines, or as many as
// the argument says) through the model's reader and writer threads, and of a load of the same
// file with UTF-8 comments. Run under Wine (or Windows); prints medians.
#include "BackupFiles.h"
#include "SampleHostsFile.h"

#include "hosts/FileReplacer.h"
#include "hosts/HostsFile.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace
{
class CWaitingSink : public IHostsFileSink
{
public:
    CWaitingSink() : m_done(CreateEventW(nullptr, FALSE, FALSE, nullptr)) {}
    void OnLineCount(int) override {}
    void OnProgress(int, const std::wstring&) override {}
    void OnLoadFinished(bool ok) override { Finish(ok); }
    void OnSaveFinished(bool ok) override { Finish(ok); }
    void OnLoadCancelled() override { Finish(false); }
    bool Wait() const { return WaitForSingleObject(m_done.Get(), 60000) == WAIT_OBJECT_0 && m_ok; }

private:
    void Finish(bool ok)
    {
        m_ok = ok;
        SetEvent(m_done.Get());
    }
    CKernelHandle m_done;
    bool m_ok = false;
};

double Seconds(LARGE_INTEGER from, LARGE_INTEGER to)
{
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// The median time of `runs` loads of the file at `path`.
double MedianLoad(CHostsFile& file, const CWaitingSink& sink, const std::wstring& path, int runs)
{
    std::vector<double> loads;
    for (int run = 0; run < runs; ++run)
    {
        LARGE_INTEGER start, loaded;
        QueryPerformanceCounter(&start);
        file.RequestLoad(path);
        if (!sink.Wait())
            return -1;
        QueryPerformanceCounter(&loaded);
        loads.push_back(Seconds(start, loaded));
    }
    return Median(loads);
}
} // namespace

int main(int argc, char** argv)
{
    const int lines = argc > 1 ? std::atoi(argv[1]) : 200000;
    const int runs = 7;
    const std::string bytes = MakeSampleHostsFile(lines);
    wchar_t folder[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    const std::wstring path = std::wstring(folder) + L"norvik-bench-hosts";
    if (ReplaceFileContents(path, bytes).result != WriteResult::Ok)
    {
        std::fprintf(stderr, "cannot write the sample file\n");
        return 1;
    }

    CWaitingSink sink;
    CHostsFile file;
    file.SetSink(&sink);
    std::vector<double> loads;
    std::vector<double> saves;
    std::vector<double> writes;
    for (int run = 0; run < runs; ++run)
    {
        LARGE_INTEGER start, loaded, saved;
        QueryPerformanceCounter(&start);
        file.RequestLoad(path);
        if (!sink.Wait())
            return 1;
        QueryPerformanceCounter(&loaded);
        file.RequestSaveRecords();
        if (!sink.Wait())
            return 1;
        QueryPerformanceCounter(&saved);
        loads.push_back(Seconds(start, loaded));
        saves.push_back(Seconds(loaded, saved));
        // The file write alone, to tell disk time from formatting and conversion.
        LARGE_INTEGER written;
        if (ReplaceFileContents(path, bytes).result != WriteResult::Ok)
            return 1;
        QueryPerformanceCounter(&written);
        writes.push_back(Seconds(saved, written));
    }
    const double megabytes = static_cast<double>(bytes.size()) / 1e6;
    std::printf("file: %d lines, %.2f MB, %d entries; %d runs\n", lines, megabytes, file.GetEntryCount(), runs);
    std::printf("load (read, convert, parse, snapshot): median %.1f ms, %.1f MB/s (first %.1f ms)\n",
                Median(loads) * 1e3, megabytes / Median(loads), loads.front() * 1e3);
    std::printf("record save (format, convert, write beside, replace, the old file kept as the backup): median %.1f "
                "ms, %.1f MB/s (first %.1f ms)\n",
                Median(saves) * 1e3, megabytes / Median(saves), saves.front() * 1e3);
    std::printf("of which writing the bytes beside and replacing: median %.1f ms\n", Median(writes) * 1e3);

    // The save's other steps one by one, on the loaded model.
    std::vector<double> formats, encodes, snapshots;
    const CAnsiCodec codec;
    for (int run = 0; run < runs; ++run)
    {
        LARGE_INTEGER t0, t1, t2, t3;
        QueryPerformanceCounter(&t0);
        const std::wstring text = file.FormatRecords();
        QueryPerformanceCounter(&t1);
        std::string encoded;
        codec.Encode(text, encoded);
        QueryPerformanceCounter(&t2);
        file.TakeSnapshot();
        QueryPerformanceCounter(&t3);
        formats.push_back(Seconds(t0, t1));
        encodes.push_back(Seconds(t1, t2));
        snapshots.push_back(Seconds(t2, t3));
    }
    std::printf("format %.1f ms, convert %.1f ms, snapshot %.1f ms (medians)\n", Median(formats) * 1e3,
                Median(encodes) * 1e3, Median(snapshots) * 1e3);

    // The same lines with UTF-8 comments, against the ASCII file loaded again just before.
    const std::string utf8 = MakeSampleHostsFile(lines, true);
    const std::wstring utf8Path = path + L"-utf8";
    if (ReplaceFileContents(utf8Path, utf8).result != WriteResult::Ok)
        return 1;
    const double ascii = MedianLoad(file, sink, path, runs);
    const double loaded = MedianLoad(file, sink, utf8Path, runs);
    if (ascii < 0 || loaded < 0 || file.GetEncoding() != TextEncoding::Utf8)
        return 1;
    std::printf("load utf-8 (%.2f MB): median %.1f ms, %.1f MB/s; the ASCII file again: %.1f ms\n",
                static_cast<double>(utf8.size()) / 1e6, loaded * 1e3, static_cast<double>(utf8.size()) / 1e6 / loaded,
                ascii * 1e3);
    DeleteFileW(utf8Path.c_str());
    DeleteFileW(path.c_str());
    RemoveBackups(path);
    return 0;
}
