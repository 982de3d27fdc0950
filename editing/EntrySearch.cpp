#include "editing/EntrySearch.h"

#ifdef _WIN32
#include <windows.h>
#endif

#include <cstddef>
#include <cwctype>
#include <string_view>

namespace
{
// The user's letter case rules on Windows (the C runtime's "C" locale would fold ASCII only);
// the C runtime's current locale elsewhere.
wint_t Upper(wchar_t c)
{
#ifdef _WIN32
    wchar_t folded = c;
    CharUpperBuffW(&folded, 1);
    return static_cast<wint_t>(folded);
#else
    return std::towupper(static_cast<wint_t>(c));
#endif
}

// towupper per character, for a single match.
struct FoldEach
{
    wint_t operator()(wchar_t c) const { return Upper(c); }
};

// The current locale's upper case of ASCII looked up once; a search folds millions of characters.
class FoldTable
{
public:
    FoldTable()
    {
        for (wchar_t c = 0; c < kSize; ++c)
            m_upper[c] = Upper(c);
    }
    wint_t operator()(wchar_t c) const
    {
        // Where wchar_t is signed (not on Windows), a negative one becomes large: the slow way.
        const auto code = static_cast<wint_t>(c); // NOLINT(bugprone-signed-char-misuse)
        return code < kSize ? m_upper[code] : Upper(c);
    }

private:
    static constexpr wchar_t kSize = 128;
    wint_t m_upper[kSize];
};

// Greedy matching that, on a mismatch or a used-up pattern with subject left, lets the last
// `*` take one more character. Earlier stars never need to be revisited, so this is O(n*m)
// at worst and needs no recursion. kFoldPattern false: the pattern is in upper case already.
template <bool kFoldPattern, class Fold>
bool Match(const std::wstring& pattern, std::wstring_view subject, const Fold& fold)
{
    const size_t m = pattern.size();
    const size_t n = subject.size();
    size_t i = 0;
    size_t j = 0;
    size_t star = std::wstring::npos; // index of the last `*` seen in the pattern
    size_t resume = 0;                // subject index that `*` is matched up to so far
    while (j < n)
    {
        if (i < m && pattern[i] == L'*')
        {
            star = i++;
            resume = j;
        }
        else if (i < m && (pattern[i] == L'?' ||
                           (kFoldPattern ? fold(pattern[i]) : static_cast<wint_t>(pattern[i])) == fold(subject[j])))
        {
            ++i;
            ++j;
        }
        else if (star != std::wstring::npos)
        {
            i = star + 1;
            j = ++resume;
        }
        else
        {
            return false;
        }
    }
    while (i < m && pattern[i] == L'*')
        ++i;
    return i == m;
}

// "*" + p + "*" in upper case, so the pattern side costs nothing per entry.
std::wstring Anywhere(const std::wstring& pattern)
{
    std::wstring wrapped;
    wrapped.reserve(pattern.size() + 2);
    wrapped += L'*';
    for (wchar_t c : pattern)
        wrapped += static_cast<wchar_t>(Upper(c));
    wrapped += L'*';
    return wrapped;
}

std::wstring UpperCopy(const std::wstring& pattern)
{
    std::wstring upper;
    upper.reserve(pattern.size());
    for (wchar_t c : pattern)
        upper += static_cast<wchar_t>(Upper(c));
    return upper;
}
} // namespace

bool WildcardMatch(const std::wstring& pattern, const std::wstring& subject)
{
    return Match<true>(pattern, subject, FoldEach());
}

int FindEntry(const CHostsDocument& model, int start, int direction, const std::wstring& address,
              const std::wstring& host, const std::wstring& comment)
{
    const int count = model.GetEntryCount();
    if (start >= count)
        return -1;
    const bool useAddress = !address.empty();
    const bool useHost = !host.empty();
    const bool useComment = !comment.empty();
    if (!useAddress && !useHost && !useComment)
        return -1;

    const std::wstring addressPattern = useAddress ? UpperCopy(address) : std::wstring();
    const std::wstring hostPattern = useHost ? Anywhere(host) : std::wstring();
    const std::wstring commentPattern = useComment ? Anywhere(comment) : std::wstring();
    const FoldTable fold;
    const int step = direction == 1 ? 1 : -1;
    CHostsRecord entry(L"", false);
    const CHostsRecord* record = &entry;
    for (int index = start; index >= 0 && index < count; index += step)
    {
        if (!model.ReadEntry(index, entry) || !record->IsEntry())
            continue;
        if (useAddress && !Match<false>(addressPattern, record->m_strAddress, fold))
            continue;
        // Any of the line's names will do, the further ones included.
        if (useHost && !record->AnyName([&](std::wstring_view name) { return Match<false>(hostPattern, name, fold); }))
            continue;
        if (useComment && !Match<false>(commentPattern, record->m_strComment, fold))
            continue;
        return index;
    }
    return -1;
}
