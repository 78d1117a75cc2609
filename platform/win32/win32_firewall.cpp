#include "platform/win32/win32_firewall.h"

#include <string_view>

#include "net/unicode.h"
#include "platform/win32/win32_dispatch.h"

namespace ov {
namespace {

using win32::ComPtr;
using win32::HresultText;

// A firewall that cannot change the scope leaves a new open port at its default scope, which
// is the one wanted here (all addresses).
bool ScopeLeftAtDefault(const wchar_t* name, LONG wanted, HRESULT hr) {
  return std::wstring_view(name) == L"Scope" && wanted == 0 && hr == E_NOTIMPL;
}

// Sets the open port's properties in the order the firewall expects them.
std::string DescribePort(IDispatch* port, const std::string& name, int port_number) {
  struct Setting {
    const wchar_t* Name;
    VARTYPE Type;
    LONG Number;
  };
  win32::Variant text;
  V_VT(text.Get()) = VT_BSTR;
  V_BSTR(text.Get()) = SysAllocString(Widen(name).c_str());
  HRESULT hr = win32::PutProperty(port, L"Name", *text.Get());
  if (FAILED(hr)) return HresultText("FWOpenPort.Name", hr);
  const Setting settings[] = {{L"Protocol", VT_I4, 6},
                              {L"Port", VT_I4, port_number},
                              {L"Scope", VT_I4, 0},
                              {L"Enabled", VT_BOOL, 0}};
  for (const Setting& s : settings) {
    VARIANT value;
    VariantInit(&value);
    V_VT(&value) = s.Type;
    if (s.Type == VT_BOOL) {
      V_BOOL(&value) = VARIANT_TRUE;
    } else {
      V_I4(&value) = s.Number;
    }
    hr = win32::PutProperty(port, s.Name, value);
    if (FAILED(hr) && ScopeLeftAtDefault(s.Name, s.Number, hr)) continue;
    if (FAILED(hr)) return HresultText(("FWOpenPort." + Narrow(s.Name)).c_str(), hr);
  }
  return {};
}

}  // namespace

std::string Win32Firewall::AddGloballyOpenPort(const std::string& name, int port_number) {
  ComPtr<IDispatch> manager, policy, profile, port, ports;
  HRESULT hr = win32::CreateByProgId(L"HNetCfg.FwMgr", manager);
  if (FAILED(hr)) return HresultText("HNetCfg.FwMgr", hr);
  hr = win32::GetDispatchProperty(manager.Get(), L"LocalPolicy", policy);
  if (FAILED(hr)) return HresultText("LocalPolicy", hr);
  hr = win32::GetDispatchProperty(policy.Get(), L"CurrentProfile", profile);
  if (FAILED(hr)) return HresultText("CurrentProfile", hr);
  hr = win32::CreateByProgId(L"HNetCfg.FWOpenPort", port);
  if (FAILED(hr)) return HresultText("HNetCfg.FWOpenPort", hr);
  if (std::string error = DescribePort(port.Get(), name, port_number); !error.empty()) return error;
  hr = win32::GetDispatchProperty(profile.Get(), L"GloballyOpenPorts", ports);
  if (FAILED(hr)) return HresultText("GloballyOpenPorts", hr);
  hr = win32::CallWithDispatch(ports.Get(), L"Add", port.Get());
  if (FAILED(hr)) return HresultText("GloballyOpenPorts.Add", hr);
  return {};
}

}  // namespace ov
