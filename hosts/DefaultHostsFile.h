#pragma once

#include <windows.h>

#include <functional>
#include <string>

enum class DefaultFileResult
{
    Written,
    TemplateEmpty,    // the module carries no template
    ReadOnlyDeclined, // the file is read-only and the user chose not to overwrite it
    WriteFailed,
    Appeared, // a new file was asked for, and another program's file took the name first
};

// The default hosts file carried by the module as resource "Text" 16004.
class CDefaultHostsFile
{
public:
    static const int kResourceId = 16004;

    // The template's bytes up to the first NUL; empty when the resource is missing.
    static std::string LoadTemplate(HMODULE module);

    // Writes the template over the file. `attributes` receives the attributes found before
    // writing (archive when unreadable); `confirmReadOnly` is asked only for a read-only file;
    // `kept` receives the file that keeps the new content when the file's name was left empty.
    static DefaultFileResult Write(const std::wstring& path, HMODULE module, DWORD& attributes,
                                   const std::function<bool()>& confirmReadOnly, std::wstring* kept = nullptr);
    // Writes the template as a new file: where a file has the name meanwhile, it stays as it is.
    static DefaultFileResult Create(const std::wstring& path, HMODULE module);
};
