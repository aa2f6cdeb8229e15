#pragma once
// COM on the calling thread for as long as the object lives. The shell hands verbs to handlers
// that may be COM objects, which need it; a thread where COM is already set up some other way
// keeps it as it is.

#include "platform/win32/WindowsApi.h"
// After windows.h: it relies on its types.
#include <objbase.h>

namespace vellumor::platform {

class ComApartment final {
 public:
  ComApartment()
      : initialised_{SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE))} {}
  ~ComApartment() {
    if (initialised_) {
      ::CoUninitialize();
    }
  }
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;

 private:
  bool initialised_;
};

}  // namespace vellumor::platform
