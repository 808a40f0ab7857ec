// Helpers shared by the Windows implementations.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace korvane::platform::win32 {

// A kernel handle closed when the object goes.
class Handle {
  public:
    explicit Handle(HANDLE h = nullptr) : h_(h) {}
    ~Handle() {
        if (valid()) ::CloseHandle(h_);
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;

    bool valid() const { return h_ != nullptr && h_ != INVALID_HANDLE_VALUE; }
    HANDLE get() const { return h_; }

  private:
    HANDLE h_;
};

// Code-page text as UTF-16, for the functions that take only that.
std::wstring WideFromCodePage(std::string_view bytes);
std::string CodePageFromWide(std::wstring_view wide);

// Text from an ANSI function (in the system's code page) in the program's.
std::string CodePageFromAnsi(std::string_view ansi);

// The system's text for an error code, in UTF-8, without the line end.
std::string ErrorText(DWORD error);

}  // namespace korvane::platform::win32
