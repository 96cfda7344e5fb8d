#pragma once
// clsContextMenu: the shell's selection in, one menu command out; the command
// writes the selection to a list file and starts the wizard with it.
#include <windows.h>

#include <shlobj.h>

#include <string>
#include <vector>

#include "com_object.h"
#include "com_ptr.h"
#include "handles.h"
#include "lintorel.h"
#include "type_info_dispatch.h"

namespace lintorel {

class ContextMenu final : public comkit::ComObject<comkit::DualDispatch<IMenuSelection>, IShellExtInit, IContextMenu> {
 public:
  explicit ContextMenu(IUnknown* outer);

  // IMenuSelection
  STDMETHODIMP get_FileCount(BYTE* count) override;
  STDMETHODIMP get_FileName(BSTR* path) override;

  // IShellExtInit
  STDMETHODIMP Initialize(PCIDLIST_ABSOLUTE folder, IDataObject* data, HKEY progId) override;

  // IContextMenu
  STDMETHODIMP QueryContextMenu(HMENU menu, UINT index, UINT firstId, UINT lastId, UINT flags) override;
  STDMETHODIMP InvokeCommand(CMINVOKECOMMANDINFO* info) override;
  STDMETHODIMP GetCommandString(UINT_PTR id, UINT type, UINT* reserved, CHAR* name, UINT size) override;

 protected:
  HRESULT FindInterface(REFIID iid, void** out) override;

 private:
  HRESULT ReadSelection(HDROP drop);
  HRESULT StartWizard(const std::string& listFile) const;

  std::vector<std::wstring> paths_;
  // From this module's own resources: never a library found by name on the host's search path.
  winkit::UniqueBitmap bitmap_;
};

}  // namespace lintorel
