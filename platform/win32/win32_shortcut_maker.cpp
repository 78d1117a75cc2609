#include "platform/win32/win32_shortcut_maker.h"

#include <objidl.h>
#include <shlobj.h>
#include <windows.h>

#include "net/unicode.h"
#include "platform/win32/win32_handles.h"

namespace ov {

ShortcutResult Win32ShortcutMaker::SaveLink(const std::string& link_path, const std::string& target,
                                            const std::string& arguments,
                                            const std::string& working_dir) {
  win32::ComPtr<IShellLinkW> link;
  HRESULT hr = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                link.OutVoid());
  if (FAILED(hr))
    return {ShortcutResult::Status::ObjectFailed,
            win32::HresultText("CoCreateInstance(ShellLink)", hr)};
  win32::ComPtr<IPersistFile> file;
  hr = link->QueryInterface(IID_IPersistFile, file.OutVoid());
  if (FAILED(hr))
    return {ShortcutResult::Status::ObjectFailed, win32::HresultText("IPersistFile", hr)};
  link->SetArguments(Widen(arguments).c_str());
  link->SetPath(Widen(target).c_str());
  link->SetWorkingDirectory(Widen(working_dir).c_str());
  hr = file->Save(Widen(link_path).c_str(), FALSE);
  if (FAILED(hr))
    return {ShortcutResult::Status::SaveFailed, win32::HresultText("IPersistFile::Save", hr)};
  return {};
}

}  // namespace ov
