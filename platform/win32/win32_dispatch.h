#pragma once
// Small late-bound helpers over IDispatch: create by ProgID, get/put a property, call a method.
// Each returns an HRESULT; failures carry the member's name in the caller's message.

#include <oaidl.h>
#include <windows.h>

#include "platform/win32/win32_handles.h"

namespace ov::win32 {

// A VARIANT cleared on destruction.
class Variant {
 public:
  Variant() { VariantInit(&v_); }
  ~Variant() { VariantClear(&v_); }
  Variant(const Variant&) = delete;
  Variant& operator=(const Variant&) = delete;
  VARIANT* Get() { return &v_; }

 private:
  VARIANT v_;
};

HRESULT CreateByProgId(const wchar_t* prog_id, ComPtr<IDispatch>& object);
HRESULT GetDispatchProperty(IDispatch* object, const wchar_t* name, ComPtr<IDispatch>& value);
HRESULT PutProperty(IDispatch* object, const wchar_t* name, VARIANT& value);
HRESULT CallWithDispatch(IDispatch* object, const wchar_t* method, IDispatch* argument);

}  // namespace ov::win32
