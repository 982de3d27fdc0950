#include "editing/RecordDialog.h"

#include "resources/resource.h"
#include "resources/Texts.h"
#include "ui/ActivationContext.h"

#include <commctrl.h>

#include <algorithm>

namespace
{
const wchar_t kAddAddress[] = L"127.0.0.1";
const wchar_t kBlankAddress[] = L"0.0.0.0";
const wchar_t kInvalidHostCharacter = L'#';

const UINT_PTR kShowTipTimer = 1;
const UINT_PTR kHideTipTimer = 2;
const UINT kShowTipDelayMs = 100;
const UINT kShowTipForMs = 2000;

// `format` with its one "%s" replaced by `argument`.
std::wstring FormatOne(const std::wstring& format, const std::wstring& argument)
{
    std::wstring text = format;
    const size_t at = text.find(L"%s");
    if (at != std::wstring::npos)
        text.replace(at, 2, argument);
    return text;
}

// Four dot-separated decimal fields of up to three digits. An empty field reads as 0 and a
// field above 255 as 255, as the control itself would correct it; false for anything else.
bool ParseAddress(const std::wstring& text, BYTE (&fields)[4])
{
    size_t at = 0;
    for (int field = 0; field < 4; ++field)
    {
        if (field > 0)
        {
            if (at >= text.size() || text[at] != L'.')
                return false;
            ++at;
        }
        unsigned value = 0;
        for (size_t digits = 0; at < text.size() && text[at] >= L'0' && text[at] <= L'9'; ++at)
        {
            if (++digits > 3)
                return false;
            value = value * 10 + static_cast<unsigned>(text[at] - L'0');
        }
        fields[field] = static_cast<BYTE>(std::min(value, 255u));
    }
    return at == text.size();
}

} // namespace

CRecordDialog::CRecordDialog() : CDialog(IDD_RECORD), m_strAddress(kAddAddress), m_strCaption(texts::kAddRecordCaption)
{
}

CRecordDialog::CRecordDialog(const std::wstring& address, const std::wstring& host, const std::wstring& comment)
    : CDialog(IDD_RECORD)
    , m_strAddress(address)
    , m_strHost(host)
    , m_strComment(comment)
    , m_strCaption(texts::kEditRecordCaption)
{
}

CRecordDialog::~CRecordDialog() = default;

bool CRecordDialog::OnInitDialog()
{
    if (!CDialog::OnInitDialog())
        return false;
    UpdateData(true);
    SetText(m_strCaption);
    if (IsAddressBlank())
    {
        SetAddressText(kBlankAddress);
        // Or the fields written once more below would be blank again.
        m_strAddress = kBlankAddress;
    }
    // Without a tip the dialog still works; "#" is removed all the same.
    m_wndTip.Create(m_hwnd);
    SetUpLayout();
    CentreOverOwner();
    UpdateData(true);
    // OK stays as the template made it (disabled) until the first change.
    m_initialised = true;
    return true;
}

void CRecordDialog::SetUpLayout()
{
    RECT window = {};
    GetWindowRect(m_hwnd, &window);
    m_initialSize = {window.right - window.left, window.bottom - window.top};
    m_layout.Attach(m_hwnd);
    const CResizeLayout::Anchor stays = {0, 1, 0, 1};
    const CResizeLayout::Anchor widens = {0, 1, 1, 1};
    const CResizeLayout::Anchor movesRight = {1, 1, 1, 1};
    m_layout.Add(Item(IDC_RECORD_ADDRESS_LABEL), stays);
    m_layout.Add(Item(IDC_RECORD_ADDRESS), stays);
    m_layout.Add(Item(IDC_RECORD_HOST_LABEL), widens);
    m_layout.Add(Item(IDC_RECORD_HOST), widens);
    m_layout.Add(Item(IDC_RECORD_COMMENT_LABEL), widens);
    m_layout.Add(Item(IDC_RECORD_COMMENT), widens);
    m_layout.Add(Item(IDOK), movesRight);
    m_layout.Add(Item(IDCANCEL), movesRight);
}

void CRecordDialog::DoDataExchange(bool toControls)
{
    m_btnOK = CWindow(Item(IDOK));
    m_ctrlAddress = CWindow(Item(IDC_RECORD_ADDRESS));
    m_editHost = CWindow(Item(IDC_RECORD_HOST));
    if (toControls)
    {
        if (m_ctrlAddress.GetText() != m_strAddress)
            SetAddressText(m_strAddress);
    }
    else
    {
        m_strAddress = m_ctrlAddress.GetText();
    }
    ExchangeText(IDC_RECORD_HOST, m_strHost, toControls);
    ExchangeText(IDC_RECORD_COMMENT, m_strComment, toControls);
}

// Through the fields, not WM_SETTEXT: Wine's control keeps a set window text without
// showing it in its fields. Text that is no address at all leaves the control blank.
void CRecordDialog::SetAddressText(const std::wstring& address) const
{
    BYTE fields[4] = {};
    if (ParseAddress(address, fields))
        SendMessageW(m_ctrlAddress.Hwnd(), IPM_SETADDRESS, 0,
                     static_cast<LPARAM>(MAKEIPADDRESS(fields[0], fields[1], fields[2], fields[3])));
    else
        SendMessageW(m_ctrlAddress.Hwnd(), IPM_CLEARADDRESS, 0, 0);
}

bool CRecordDialog::IsAddressBlank() const
{
    return SendMessageW(m_ctrlAddress.Hwnd(), IPM_ISBLANK, 0, 0) != 0;
}

void CRecordDialog::UpdateOkButton() const
{
    // Blanks alone name no host: written out, the comment's '#' would read back as the host.
    const bool named = m_strHost.find_first_not_of(L" \t") != std::wstring::npos;
    m_btnOK.Enable(!IsAddressBlank() && named);
}

bool CRecordDialog::OnCommand(WORD id, WORD code, HWND control)
{
    if (code == EN_CHANGE && (id == IDC_RECORD_HOST || id == IDC_RECORD_COMMENT || id == IDC_RECORD_ADDRESS))
    {
        if (!m_initialised || IsExchangingData())
            return true;
        if (id == IDC_RECORD_HOST)
            OnHostChanged();
        else if (id == IDC_RECORD_COMMENT)
            OnCommentChanged();
        else
            // An emptied field raises no IPN_FIELDCHANGED, on Wine not even when it loses the
            // focus; the control's EN_CHANGE comes with every edit of a field.
            UpdateOkButton();
        return true;
    }
    return CDialog::OnCommand(id, code, control);
}

bool CRecordDialog::OnNotify(NMHDR* header, LRESULT& result)
{
    if (header->code == IPN_FIELDCHANGED && header->idFrom == IDC_RECORD_ADDRESS)
    {
        if (m_initialised && !IsExchangingData())
            OnAddressFieldChanged();
        result = 0;
        return true;
    }
    return CDialog::OnNotify(header, result);
}

bool CRecordDialog::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    switch (message)
    {
    case WM_GETMINMAXINFO:
        // Wider, never taller, and never smaller than it opened.
        if (m_initialSize.cx > 0)
        {
            auto* limits = reinterpret_cast<MINMAXINFO*>(lParam);
            limits->ptMinTrackSize = {m_initialSize.cx, m_initialSize.cy};
            limits->ptMaxTrackSize.y = m_initialSize.cy;
            result = 0;
            return true;
        }
        break;
    case WM_SIZE:
        m_layout.Apply();
        break;
    case WM_TIMER:
        if (wParam == kShowTipTimer)
        {
            KillTimer(m_hwnd, kShowTipTimer);
            m_wndTip.Show();
            SetTimer(m_hwnd, kHideTipTimer, kShowTipForMs, nullptr);
            result = 0;
            return true;
        }
        if (wParam == kHideTipTimer)
        {
            HideTip();
            result = 0;
            return true;
        }
        break;
    case WM_DESTROY:
        HideTip();
        m_wndTip.Destroy();
        break;
    default:
        break;
    }
    return CDialog::OnMessage(message, wParam, lParam, result);
}

void CRecordDialog::OnDestroy()
{
    // What the controls report while they go is no change of the user's.
    m_initialised = false;
}

void CRecordDialog::OnHostChanged()
{
    HideTip();
    UpdateData(false);
    DWORD start = 0;
    DWORD end = 0;
    SendMessageW(m_editHost.Hwnd(), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    if (m_strHost.find(kInvalidHostCharacter) != std::wstring::npos)
    {
        ShowInvalidCharacterTip(std::wstring(1, kInvalidHostCharacter));
        m_strHost.erase(std::remove(m_strHost.begin(), m_strHost.end(), kInvalidHostCharacter), m_strHost.end());
        UpdateData(true);
        // Back to where the caret was before the character came; never before the start.
        const WPARAM newStart = start > 0 ? start - 1 : 0;
        const LPARAM newEnd = end > 0 ? end - 1 : 0;
        SendMessageW(m_editHost.Hwnd(), EM_SETSEL, newStart, newEnd);
        SendMessageW(m_editHost.Hwnd(), EM_SCROLLCARET, 0, 0);
    }
    UpdateOkButton();
    UpdateData(true);
}

void CRecordDialog::OnCommentChanged()
{
    UpdateData(false);
    UpdateOkButton();
}

void CRecordDialog::OnAddressFieldChanged()
{
    UpdateOkButton();
}

void CRecordDialog::ShowInvalidCharacterTip(const std::wstring& character)
{
    if (!m_wndTip.IsCreated())
        return;
    m_wndTip.SetTitle(TTI_ERROR, texts::kInputErrorTitle);
    m_wndTip.SetText(FormatOne(texts::kInvalidCharacterFormat, character));
    RECT host = {};
    GetWindowRect(m_editHost.Hwnd(), &host);
    m_wndTip.SetPosition({host.left, host.bottom});
    SetTimer(m_hwnd, kShowTipTimer, kShowTipDelayMs, nullptr);
}

void CRecordDialog::HideTip()
{
    KillTimer(m_hwnd, kShowTipTimer);
    KillTimer(m_hwnd, kHideTipTimer);
    m_wndTip.Hide();
}

void CRecordDialog::OnOK()
{
    // Enter asks the dialog manager for the default button by id, and Wine finds id 1 on a
    // field of the address control first: its IDOK comes while OK itself is disabled.
    if (!IsWindowEnabled(Item(IDOK)))
        return;
    UpdateData(false);
    EndDialog(IDOK);
}

void CRecordDialog::OnCancel()
{
    EndDialog(IDCANCEL);
}
