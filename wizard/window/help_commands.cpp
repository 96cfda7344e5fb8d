#include "help_commands.h"

#include <shellapi.h>

#include "control_ids.h"
#include "module_path.h"
#include "product_version.h"

namespace qelwipe::win {
namespace {

// Below the program's folder, wherever the program was started from.
constexpr wchar_t kHelpPage[] = L"help\\help.htm";

struct WebPage {
  int id;
  const wchar_t* path;  // on the vendor's site
};
constexpr WebPage kWebPages[] = {{ids::CSmenu, L"/productsupport.htm"}, {ids::UpdateMen, L"/downloads"}};

}  // namespace

void ShellExecuteRequest(const ShellRequest& request) {
  ShellExecuteW(request.owner, request.verb.c_str(), request.file.c_str(), request.parameters.c_str(),
                request.directory.empty() ? nullptr : request.directory.c_str(), request.show);
}

std::wstring ProgramFolder() {
  // Nothing, when the system gives no path.
  const std::wstring path = winkit::ModuleFileName();
  return path.substr(0, path.find_last_of(L"\\/") + 1);
}

bool RunHelpCommand(int id, HWND form, const ShellOpen& open) {
  if (id == ids::Hmenu) {
    const std::wstring folder = ProgramFolder();
    open({form, L"open", folder + kHelpPage, L"", folder, SW_SHOWNORMAL});
    return true;
  }
  for (const WebPage& page : kWebPages) {
    if (page.id != id) continue;
    // The browser's window is to be seen.
    open({nullptr, L"open", std::wstring(L"" PRODUCT_VENDOR_SITE) + page.path, L"", L"", SW_SHOWNORMAL});
    return true;
  }
  return false;
}

}  // namespace qelwipe::win
