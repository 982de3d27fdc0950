#pragma once

#include "norvik/EditorHost.h"
#include "norvik/norvik.h"

#include <cstdint>
#include <memory>

// The host's services as a C host hands them over (norvik/norvik.h), behind the C++
// interfaces the form calls: the form does not tell the two kinds of host apart.
class CHostTable : public IEditorHost, public IEditorFocusHandler
{
public:
    // A copy of the table's known part; null for a table the module cannot take.
    static std::unique_ptr<CHostTable> Take(const NorvikHost* table);

    void ApplySkin(const std::wstring& skinFile) override;
    std::wstring GetSettingsFolder() override;
    std::wstring GetVersionText() override;
    std::map<std::wstring, std::wstring> GetModuleVersions() override;
    void FocusPrevious() override;

private:
    explicit CHostTable(const NorvikHost& table) : m_table(table) {}

    NorvikHost m_table;
};
