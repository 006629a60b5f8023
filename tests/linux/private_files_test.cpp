#include "platform/linux/private_files.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "platform/linux/settings_file.h"

namespace zanvo::linux_pc {
namespace {

class TempDir {
 public:
  TempDir() {
    char pattern[] = "/tmp/zanvo-test-XXXXXX";
    path = mkdtemp(pattern);
  }
  ~TempDir() { std::system(("rm -rf '" + path + "'").c_str()); }
  std::string path;
};

void Write(const std::string& path, const std::string& text, mode_t mode) {
  std::ofstream(path) << text;
  chmod(path.c_str(), mode);
}

// What is read back as root is hostile until shown otherwise: each file that is not a plain
// file of ours, writable by nobody else, is refused with the reason, and nothing is read.
TEST(PrivateFiles, ReadsOnlyPlainFilesOfTheOwnerWritableByNoOneElse) {
  TempDir dir;
  const uid_t me = geteuid();
  const std::string file = dir.path + "/f";
  struct Case {
    const char* what;
    mode_t mode;
    uid_t owner;           // the owner the reader asks for
    bool link, directory;
    const char* refusal;   // empty: read
  };
  const Case cases[] = {
      {"ours, 0600", 0600, me, false, false, ""},
      {"ours, 0644", 0644, me, false, false, ""},
      {"group-writable", 0620, me, false, false, "writable by others"},
      {"world-writable", 0602, me, false, false, "writable by others"},
      {"another user's", 0600, me + 1, false, false, "belongs to another user"},
      {"a symbolic link", 0600, me, true, false, "symbolic link"},
      {"a directory", 0700, me, false, true, "not a plain file"},
  };
  for (const Case& c : cases) {
    unlink(file.c_str());
    rmdir(file.c_str());
    if (c.link) {
      Write(dir.path + "/target", "zanvo", 0600);
      ASSERT_EQ(symlink((dir.path + "/target").c_str(), file.c_str()), 0);
    } else if (c.directory) {
      mkdir(file.c_str(), c.mode);
    } else {
      Write(file, "zanvo", c.mode);
    }
    std::string refusal;
    const auto text = ReadPrivateFile(file, c.owner, refusal);
    if (*c.refusal == '\0') {
      EXPECT_EQ(text.value_or("nothing"), "zanvo") << c.what;
      EXPECT_EQ(refusal, "") << c.what;
    } else {
      EXPECT_FALSE(text.has_value()) << c.what;
      EXPECT_NE(refusal.find(c.refusal), std::string::npos) << c.what << ": " << refusal;
    }
  }
  Write(file + "-large", std::string((1 << 20) + 1, 'x'), 0600);
  std::string refusal;
  EXPECT_FALSE(ReadPrivateFile(file + "-large", me, refusal).has_value());
  EXPECT_NE(refusal.find("too large"), std::string::npos) << refusal;
  Write(file + "-full", std::string(1 << 20, 'x'), 0600);
  EXPECT_EQ(ReadPrivateFile(file + "-full", me, refusal).value_or("").size(), size_t{1} << 20);
  EXPECT_FALSE(ReadPrivateFile(dir.path + "/missing", me, refusal).has_value());
  EXPECT_EQ(refusal, "") << "a missing file is no refusal";
}

TEST(PrivateFiles, DirectoryIsMadeOwnerOnlyAndOthersAreRefused) {
  TempDir dir;
  const uid_t me = geteuid();
  const std::string made = dir.path + "/made";
  EXPECT_EQ(PreparePrivateDirectory(made, me), "");
  struct stat st {};
  ASSERT_EQ(stat(made.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);
  EXPECT_EQ(PreparePrivateDirectory(made, me), "") << "an existing one of ours is fit";

  const std::string open_dir = dir.path + "/open";
  mkdir(open_dir.c_str(), 0755);
  chmod(open_dir.c_str(), 0755);
  EXPECT_NE(PreparePrivateDirectory(open_dir, me).find("mode is not 0700"), std::string::npos);
  EXPECT_NE(PreparePrivateDirectory(made, me + 1).find("another user"), std::string::npos);
  Write(dir.path + "/plain", "", 0600);
  EXPECT_NE(PreparePrivateDirectory(dir.path + "/plain", me).find("not a directory"),
            std::string::npos);
  const std::string link = dir.path + "/link";
  ASSERT_EQ(symlink(made.c_str(), link.c_str()), 0);
  EXPECT_NE(PreparePrivateDirectory(link, me).find("not a directory"), std::string::npos);
}

TEST(PrivateFiles, WrittenFileIsOwnerOnlyAndReplacesTheOldOneWhole) {
  TempDir dir;
  const std::string file = dir.path + "/f";
  EXPECT_EQ(WritePrivateFile(file, "one"), "");
  EXPECT_EQ(WritePrivateFile(file, "two"), "");
  struct stat st {};
  ASSERT_EQ(stat(file.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  std::string refusal;
  EXPECT_EQ(ReadPrivateFile(file, geteuid(), refusal).value_or(""), "two");
  EXPECT_NE(WritePrivateFile(dir.path + "/missing/f", "x"), "");
}

TEST(SettingsFile, ValuesReadBackAndGarbageKeepsTheDefaults) {
  const auto values = ParseSettings(
      "Chipset=4\nExitToVGA=1\nModel=\"x\"\nbad line\nPolarity=12x\nName With Space=1\nVideoStandard=\"PAL\"\n"
      "Big=4294967296\nQuote=\"a\"b\"\n");
  ASSERT_EQ(values.size(), 4u);
  EXPECT_EQ(std::get<uint32_t>(values.at("ExitToVGA")), 1u);
  EXPECT_EQ(std::get<uint32_t>(values.at("Chipset")), 4u);
  EXPECT_EQ(std::get<std::string>(values.at("Model")), "x");
  EXPECT_EQ(std::get<std::string>(values.at("VideoStandard")), "PAL");
  EXPECT_EQ(ParseSettings(FormatSettings(values)), values);

  TempDir dir;
  SettingsFile settings(dir.path + "/settings", geteuid());
  auto key = settings.OpenOrCreate("any");
  ASSERT_TRUE(key);
  EXPECT_FALSE(key->ReadDword("Chipset").has_value());
  EXPECT_EQ(key->ReadText("Missing").value_or("?"), "");
  EXPECT_TRUE(key->WriteDword("Chipset", 4));
  EXPECT_TRUE(key->WriteText("VideoStandard", "NTSC"));
  EXPECT_FALSE(key->WriteText("VideoStandard", "a\"b")) << "a text that would not read back whole";
  EXPECT_FALSE(key->ReadText("Chipset").has_value()) << "a number read as text";
  auto again = settings.OpenOrCreate("any");
  ASSERT_TRUE(again);
  EXPECT_EQ(again->ReadDword("Chipset").value_or(0), 4u);
  EXPECT_EQ(again->ReadText("VideoStandard").value_or(""), "NTSC");

  chmod((dir.path + "/settings").c_str(), 0666);
  EXPECT_FALSE(settings.OpenOrCreate("any"));
  EXPECT_NE(settings.refusal().find("writable by others"), std::string::npos);
}

}  // namespace
}  // namespace zanvo::linux_pc
