#include "winio_library.h"

namespace zanvo::win32 {

namespace {

constexpr const char* kLibraryName = "winio.dll";
// Paths of the long form (\\?\...) may reach 32767 characters.
constexpr DWORD kMaxPath = 32768;

// GetProcAddress hands out a generic function pointer; the cast goes through void(*)() on
// purpose, the one function type the compiler accepts as a go-between.
template <typename Fn>
bool Resolve(HMODULE module, const char* name, Fn& out) {
  FARPROC proc = ::GetProcAddress(module, name);
  out = reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(proc));
  return out != nullptr;
}

}  // namespace

std::string ModuleFolder() {
  std::string path(MAX_PATH, '\0');
  for (;;) {
    const DWORD size = static_cast<DWORD>(path.size());
    const DWORD length = ::GetModuleFileNameA(nullptr, path.data(), size);
    if (length == 0) return {};
    if (length < size) {  // not truncated
      path.resize(length);
      break;
    }
    if (size >= kMaxPath) return {};
    path.resize(size * 2);
  }
  const size_t slash = path.find_last_of("\\/");
  if (slash == std::string::npos) return {};
  path.resize(slash + 1);
  return path;
}

bool WinIoLibrary::Load() {
  if (loaded()) return true;
  const std::string folder = ModuleFolder();
  if (folder.empty()) return false;
  const std::string path = folder + kLibraryName;
  // A full path is loaded from that path only; the altered search order makes the library's own
  // dependencies resolve from its folder too.
  module_ = ::LoadLibraryExA(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  if (module_ == nullptr) return false;
  WinIoFunctions f;
  const bool all = Resolve(module_, "InitializeWinIo", f.InitializeWinIo) &&
                   Resolve(module_, "ShutdownWinIo", f.ShutdownWinIo) &&
                   Resolve(module_, "GetPortVal", f.GetPortVal) &&
                   Resolve(module_, "SetPortVal", f.SetPortVal) &&
                   Resolve(module_, "GetPhysLong", f.GetPhysLong);
  if (!all) {
    Unload();
    return false;
  }
  functions_ = f;
  return true;
}

void WinIoLibrary::Unload() {
  functions_ = {};
  if (module_ != nullptr) {
    ::FreeLibrary(module_);
    module_ = nullptr;
  }
}

}  // namespace zanvo::win32
