#include "png_output.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <system_error>

#include <unistd.h>

#include "scope_picture.h"

namespace zanvo::scope {
namespace {

namespace fs = std::filesystem;

// The picture is drawn into a file of its own, then copied: the drawing writes files only.
std::string WriteToStream(const ScopeOptions& options, const ScopeReport& report,
                          std::ostream& out) {
  std::error_code ec;
  std::string path = (fs::temp_directory_path(ec) / "zanvo-scope-XXXXXX").string();
  const int fd = mkstemp(path.data());
  if (fd < 0) return "cannot make a temporary file for the picture";
  close(fd);
  std::string problem = WriteScopePicture(options, report, path);
  if (problem.empty()) {
    std::ifstream in(path, std::ios::binary);
    out << in.rdbuf();
    out.flush();
    if (!in || !out) problem = "cannot write the picture to standard output";
  }
  fs::remove(path, ec);
  return problem;
}

}  // namespace

std::string WritePicture(const ScopeOptions& options, const ScopeReport& report,
                         std::ostream& out) {
  if (options.png == "-") return WriteToStream(options, report, out);
  const fs::path path(options.png);
  std::error_code ec;
  if (fs::is_directory(path, ec)) {
    return options.png + " is a folder: give the picture a file name in it, such as " +
           (path / "picture.png").string();
  }
  const fs::path folder = path.parent_path();
  if (!folder.empty() && !fs::is_directory(folder, ec)) {
    return "the folder " + folder.string() + " does not exist";
  }
  return WriteScopePicture(options, report, options.png);
}

}  // namespace zanvo::scope
