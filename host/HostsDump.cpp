// Loads the system's hosts file through the model and prints its entries.
#include "hosts/AnsiCodec.h"
#include "hosts/HostsDocument.h"
#include "hosts/HostsFileAccess.h"
#include "hosts/HostsFilePath.h"
#include "hosts/LineSplitter.h"

#include <cstdio>

int wmain(int argc, wchar_t** argv)
{
    const std::wstring path = argc > 1 ? argv[1] : GetHostsFilePath();
    if (path.empty())
    {
        std::fwprintf(stderr, L"The registry names no hosts file.\n");
        return 1;
    }
    std::wstring text;
    if (ReadHostsText(path, CAnsiCodec(), text) != ReadResult::Ok)
    {
        std::fwprintf(stderr, L"Can't read %ls\n", path.c_str());
        return 1;
    }
    CHostsDocument document;
    for (std::wstring_view line : CLineSplitter::Split<wchar_t>(text))
        document.AppendLine(line);
    document.FinishLoad();

    std::wprintf(L"%ls: %d entries, %zu other lines\n\n", path.c_str(), document.GetEntryCount(),
                 document.GetOtherLineCount());
    std::wprintf(L"%-8ls %-16ls %-32ls %ls\n", L"Enabled", L"IP Address", L"Host", L"Comment");
    for (int i = 0; i < document.GetEntryCount(); ++i)
    {
        const CHostsRecord& entry = *document.GetEntry(i);
        std::wstring host = entry.m_strHost;
        if (!entry.m_strMoreHosts.empty())
            host += L" " + entry.m_strMoreHosts;
        std::wprintf(L"%-8ls %-16ls %-32ls %ls\n", entry.m_bDisabled ? L"no" : L"yes", entry.m_strAddress.c_str(),
                     host.c_str(), entry.m_strComment.c_str());
    }
    return 0;
}
