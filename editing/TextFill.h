#pragma once

#include <windows.h>

#include <memory>
#include <string>

class CHostsTextEdit;

// Puts a long text into the text view a piece at a time, so that the thread answers its
// messages in between: an edit control lays out every line it takes, which for a blocklist is
// a minute of work. The view stays hidden meanwhile (a hidden edit takes pieces several times
// faster), pieces end at line breaks and are sized to take about kPieceMs each. The end state
// is the one a single SetWindowText leaves: the same text, nothing to undo, not modified.
class CTextFill
{
public:
    static constexpr double kPieceMs = 80.0;

    // Empties the view and takes `text`; counts its lines for the progress.
    void Start(CHostsTextEdit& edit, std::shared_ptr<const std::wstring> text);
    // Adds one piece; true once the whole text is in. The fill runs until stopped, so that
    // its caller can still look at the view and give up on it.
    bool Step();
    void Stop();
    bool IsRunning() const { return m_pText != nullptr; }
    int LinesDone() const { return m_nLinesDone; }
    int LineCount() const { return m_nLineCount; }

private:
    CHostsTextEdit* m_pEdit = nullptr;
    std::shared_ptr<const std::wstring> m_pText;
    size_t m_nDone = 0;
    size_t m_nPieceChars = 0;
    int m_nLinesDone = 0;
    int m_nLineCount = 0;
    // The piece with its terminating NUL, reused from piece to piece.
    std::wstring m_piece;
};
