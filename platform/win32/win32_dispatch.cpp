#include "platform/win32/win32_dispatch.h"

namespace ov::win32 {
namespace {

HRESULT DispatchId(IDispatch* object, const wchar_t* name, DISPID& id) {
  LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
  return object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
}

}  // namespace

HRESULT CreateByProgId(const wchar_t* prog_id, ComPtr<IDispatch>& object) {
  CLSID clsid;
  const HRESULT hr = CLSIDFromProgID(prog_id, &clsid);
  if (FAILED(hr)) return hr;
  return CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER, IID_IDispatch,
                          object.OutVoid());
}

HRESULT GetDispatchProperty(IDispatch* object, const wchar_t* name, ComPtr<IDispatch>& value) {
  DISPID id;
  HRESULT hr = DispatchId(object, name, id);
  if (FAILED(hr)) return hr;
  DISPPARAMS none{};
  Variant result;
  hr = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, result.Get(),
                      nullptr, nullptr);
  if (FAILED(hr)) return hr;
  if (V_VT(result.Get()) != VT_DISPATCH || !V_DISPATCH(result.Get())) return DISP_E_TYPEMISMATCH;
  IDispatch* object_value = V_DISPATCH(result.Get());
  object_value->AddRef();  // the variant keeps its own reference until it is cleared
  *value.Out() = object_value;
  return S_OK;
}

HRESULT PutProperty(IDispatch* object, const wchar_t* name, VARIANT& value) {
  DISPID id;
  const HRESULT hr = DispatchId(object, name, id);
  if (FAILED(hr)) return hr;
  DISPID named = DISPID_PROPERTYPUT;
  DISPPARAMS params{&value, &named, 1, 1};
  EXCEPINFO exception{};
  const HRESULT result = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYPUT,
                                        &params, nullptr, &exception, nullptr);
  SysFreeString(exception.bstrSource);
  SysFreeString(exception.bstrDescription);
  SysFreeString(exception.bstrHelpFile);
  // The property's own failure code is more telling than "an exception occurred".
  if (result == DISP_E_EXCEPTION && FAILED(exception.scode)) return exception.scode;
  return result;
}

HRESULT CallWithDispatch(IDispatch* object, const wchar_t* method, IDispatch* argument) {
  DISPID id;
  const HRESULT hr = DispatchId(object, method, id);
  if (FAILED(hr)) return hr;
  VARIANT arg;
  VariantInit(&arg);
  V_VT(&arg) = VT_DISPATCH;
  V_DISPATCH(&arg) = argument;  // borrowed: not cleared here
  DISPPARAMS params{&arg, nullptr, 1, 0};
  return object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr,
                        nullptr, nullptr);
}

}  // namespace ov::win32
