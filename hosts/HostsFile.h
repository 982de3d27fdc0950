#pragma once

#include "hosts/AnsiCodec.h"
#include "hosts/FileReplacer.h"
#include "hosts/FileTextDecoder.h"
#include "hosts/HostsDocument.h"
#include "hosts/HostsFileFailure.h"
#include "hosts/HostsFileSink.h"
#include "win32/Event.h"
#include "win32/UniqueHandle.h"

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>

// The hosts file model with its two long-lived workers: a reader that loads and parses the
// file on request and a writer that writes it on request. The caller keeps its hands off the
// model between a request and the matching notification.
class CHostsFile : public CHostsDocument
{
public:
    CHostsFile();
    ~CHostsFile();
    CHostsFile(const CHostsFile&) = delete;
    CHostsFile& operator=(const CHostsFile&) = delete;

    // Once, before any request.
    void SetSink(IHostsFileSink* sink) { m_pSink = sink; }

    // `load` names the load: every notification of it comes while LoadNumber gives it.
    void RequestLoad(const std::wstring& path, unsigned load = 0);
    bool RequestSaveRecords();
    // The text must have been handed in with SetTextToSave.
    bool RequestSaveText();
    void Cancel() { m_bCancel = 1; }
    // Ends both workers and waits for them; later requests fail at once.
    void Shutdown();
    // After Shutdown, on the thread that called it: new workers, as a new model has. False
    // when they could not start (every request then fails at once, as after Shutdown).
    bool Restart();

    // The encoding the last load found, in which saves write the file.
    TextEncoding GetEncoding() const { return m_encoding; }
    // On the thread of a load's notification: the number its request gave.
    unsigned LoadNumber() const { return m_nAnswering; }
    const std::wstring& GetPath() const { return m_strPath; }
    // Why the last load or save failed; set before the failure is notified.
    const CFileFailure& GetFailure() const { return m_failure; }
    // The file as the last successful load read it or the last successful save wrote it.
    const CFileStamp& GetStamp() const { return m_stamp; }
    // Before a save request: the file as the caller last saw it. A save that finds it otherwise
    // once it holds the file writes nothing and fails as Changed; "not existing" checks nothing.
    void SetExpectedStamp(const CFileStamp& stamp) { m_expected = stamp; }

private:
    static DWORD WINAPI ReaderThreadProc(LPVOID self);
    static DWORD WINAPI WriterThreadProc(LPVOID self);
    void StartWorkers();
    void ReadLoop();
    void WriteLoop();
    void Load();
    bool ReadAndParse(CFileStamp& stamp, TextEncoding& encoding, CFileFailure& failure);
    // The codec of the file's encoding.
    const CAnsiCodec& Codec() const { return m_encoding == TextEncoding::Ansi ? m_codec : m_utf8; }
    // No file loaded: its stamp, encoding and backup go.
    void ForgetFile();
    void EndCancelledLoad();
    void EndFailedLoad(const CFileFailure& failure);
    bool Save();
    bool SaveText(CFileFailure& failure);
    bool SaveRecords(CFileFailure& failure);
    // The file takes the content as it is made; `failure` says why not, the content's own
    // failure (a character, memory) first.
    bool Replace(const ContentSource& content, CFileFailure& failure);
    // The text or the records, encoded a piece at a time into one buffer and handed to `write`.
    bool EncodeText(std::wstring_view text, const ContentWriter& write, CFileFailure& failure) const;
    bool EncodeRecords(const ContentWriter& write, CFileFailure& failure) const;
    // Which character of `text` the code page lacks, or else that memory ran out.
    void FailEncoding(std::wstring_view text, CFileFailure& failure) const;
    uint64_t RecordTextSize() const;
    void ResetTextToSave();
    // Wakes a worker; false when it has ended and will never answer. Only under m_requestLock.
    bool Post(const CEvent& request);

    std::wstring m_strPath;
    CEvent m_hSaveRequest{EventReset::Automatic};
    CEvent m_hLoadRequest{EventReset::Automatic};
    CEvent m_hQuit{EventReset::Manual};
    CEvent m_hReaderExited{EventReset::Manual, true};
    std::atomic<uint32_t> m_bCancel{0};
    // The number of the load last asked for, and of the one being answered.
    unsigned m_nRequested = 0;
    std::atomic<unsigned> m_nAnswering{0};
    IHostsFileSink* m_pSink = nullptr;
    std::atomic<uint32_t> m_bSaveText{0};
    std::atomic<bool> m_bShutDown{false};
    // Requests and Shutdown come from different threads (the load thread, the GUI thread):
    // each sees the other's state whole, and only one of them empties the model at a time.
    std::mutex m_requestLock;
    CAnsiCodec m_codec;
    const CAnsiCodec m_utf8{CP_UTF8};
    TextEncoding m_encoding = TextEncoding::Ansi;
    // The file as loaded is kept as a backup by the first save that writes it.
    bool m_bBackupDue = false;
    CFileFailure m_failure;
    CFileStamp m_stamp;
    CFileStamp m_expected;
    CKernelHandle m_hReaderThread;
    CKernelHandle m_hWriterThread;
};
