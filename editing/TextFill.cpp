#include "editing/TextFill.h"

#include "editing/HostsTextEdit.h"

#include <algorithm>

namespace
{
// About a hundred lines, to measure the control's speed with; the pieces then follow it.
const size_t kFirstPieceChars = 4096;
const size_t kMinPieceChars = 1024;
const size_t kMaxPieceChars = size_t{1} << 22;

double Milliseconds()
{
    LARGE_INTEGER count = {};
    LARGE_INTEGER frequency = {};
    QueryPerformanceCounter(&count);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(count.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

int CountLines(const wchar_t* begin, const wchar_t* end)
{
    return static_cast<int>(std::min<std::ptrdiff_t>(std::count(begin, end, L'\n'), INT_MAX));
}
} // namespace

void CTextFill::Start(CHostsTextEdit& edit, std::shared_ptr<const std::wstring> text)
{
    m_pEdit = &edit;
    m_pText = std::move(text);
    m_nDone = 0;
    m_nPieceChars = kFirstPieceChars;
    m_nLinesDone = 0;
    m_nLineCount = CountLines(m_pText->data(), m_pText->data() + m_pText->size());
    edit.EmptyWithRoomFor(m_pText->size());
}

bool CTextFill::Step()
{
    if (!m_pText || m_nDone == m_pText->size())
        return true;
    const std::wstring& text = *m_pText;
    size_t end = std::min(text.size(), m_nDone + m_nPieceChars);
    // To the end of the line: a line laid out twice would cost twice.
    if (end < text.size())
    {
        const size_t lineEnd = text.find(L'\n', end - 1);
        end = lineEnd == std::wstring::npos ? text.size() : lineEnd + 1;
    }
    m_piece.assign(text, m_nDone, end - m_nDone);
    const double started = Milliseconds();
    m_pEdit->InsertAt(static_cast<DWORD>(m_nDone), m_piece);
    const double took = std::max(Milliseconds() - started, 1.0);
    m_nLinesDone += CountLines(text.data() + m_nDone, text.data() + end);
    const double sized = static_cast<double>(end - m_nDone) * kPieceMs / took;
    // The control walks all its lines on every insertion (Wine: about 0.1 us a line), so a
    // piece never shrinks below 1/1600 of what is in: at least a third of each step is text.
    const size_t least = std::max(kMinPieceChars, end / 1600);
    m_nPieceChars = std::clamp(static_cast<size_t>(sized), least, std::max(least, kMaxPieceChars));
    m_nDone = end;
    if (m_nDone < text.size())
        return false;
    m_pEdit->ClearHistory();
    return true;
}

void CTextFill::Stop()
{
    m_pText.reset();
    m_piece = std::wstring();
}
