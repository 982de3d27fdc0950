#pragma once

#include "ui/Dialog.h"

#include <string>

// One hosts entry typed or changed by the user: address, host name, comment. The host name
// refuses "#" as it is typed; OK needs an address and a host name.
class CRecordDialog : public CDialog
{
public:
    // Add record: "127.0.0.1", empty host and comment.
    CRecordDialog();
    // Edit record: the entry's values.
    CRecordDialog(const std::wstring& address, const std::wstring& host, const std::wstring& comment);
    ~CRecordDialog() override;

    // Read by the caller after IDOK.
    std::wstring m_strAddress;
    std::wstring m_strHost;
    std::wstring m_strComment;
};
