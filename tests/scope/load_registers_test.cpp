// zanvo-scope --load-registers as its users meet it: a dump loaded back, a mode typed by hand
// from its register values, and the messages for files it cannot use.

#include <gtest/gtest.h>

#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "scope_main.h"
#include "scope_run.h"

namespace zanvo::scope {
namespace {

std::string WriteFile(const std::string& name, const std::string& text) {
  const std::string path = ::testing::TempDir() + name;
  std::ofstream(path) << text;
  return path;
}

struct RoundTrip {
  const char* card;
  const char* mode;       // the mode dumped
  const char* base_mode;  // --mode under the load; nullptr: left out, size from the file
};

// The dump of a mode, loaded into a fresh card of the same kind, makes the mode's signal, and
// the engine makes the same PAL signal of it. Oak's clock select bit 2, the i740's VCLK2, the
// Blade3D's clock word and the Mach64's accelerator CRTC sit outside the VGA register files, so
// those cards are dumped in a mode whose clock the files select, or loaded over the same mode.
TEST(LoadRegisters, ADumpLoadedBackMakesTheModesSignal) {
  const RoundTrip cases[] = {
      {"vga", "320x200", nullptr},
      {"s3-trio64", "800x600", nullptr},
      {"s3-vision864", "1024x768", nullptr},
      {"cirrus-gd5434", "800x600", nullptr},
      {"ati-mach64", "800x600", "800x600"},
      {"sis-6326", "800x600", nullptr},
      {"sis-300", "1024x768", nullptr},
      {"intel-i740", "720x400", nullptr},
      {"oak-oti077", "720x400", nullptr},
      {"oak-oti087", "720x400", nullptr},
      {"realtek-rtg3103", "800x600", nullptr},
      {"umc-85c408", "800x600", nullptr},
      {"wd-90c00", "800x600", nullptr},
      {"wd-90c30", "1024x768", nullptr},
      {"tseng-et3000", "800x600", nullptr},
      {"tseng-et4000", "1024x768", nullptr},
      {"trident-9000i", "800x600", nullptr},
      {"trident-8800br", "800x600", nullptr},
      {"trident-blade3d", "720x400", nullptr},
  };
  for (const RoundTrip& c : cases) {
    SCOPED_TRACE(std::string(c.card) + " " + c.mode);
    const auto dump = RunJson({"--card", c.card, "--mode", c.mode, "--registers"});
    const auto mode = RunJson({"--card", c.card, "--mode", c.mode, "--standard", "pal"});
    const std::string path = WriteFile(std::string(c.card) + ".json", dump.dump());

    std::vector<const char*> args = {"--card",     c.card,       "--load-registers",
                                     path.c_str(), "--standard", "pal"};
    if (c.base_mode) args.insert(args.end(), {"--mode", c.base_mode});
    const auto loaded = RunJson(args);
    EXPECT_EQ(loaded["monitor_signal"], mode["monitor_signal"]);
    EXPECT_EQ(loaded["signal"], mode["signal"]);
    EXPECT_EQ(loaded["mode"], mode["mode"]);
    EXPECT_EQ(loaded["loaded_registers"]["size_from_registers"], c.base_mode == nullptr);
  }
}

// IBM VGA mode 12h (640x480, 16 colours) typed from its register tables: 800 dots by 525 lines
// at 25.175 MHz, both syncs negative.
constexpr const char* kVga640x480 = R"({
  "misc": 227,
  "seq":  [3, 1, 15, 0, 6],
  "crtc": [95, 79, 80, 130, 84, 128, 11, 62, 0, 64, 0, 0, 0, 0, 0, 0,
           234, 140, 223, 40, 0, 231, 4, 227, 255],
  "gc":   [0, 0, 0, 0, 0, 0, 5, 15, 255],
  "attr": [0, 1, 2, 3, 4, 5, 20, 7, 56, 57, 58, 59, 60, 61, 62, 63, 1, 0, 15, 0, 0]
})";

TEST(LoadRegisters, AHandTypedVgaModeRunsAtItsStandardRates) {
  const std::string path = WriteFile("vga-640x480.json", kVga640x480);
  // Over the driver's 800x600 mode, so that nothing of 640x480 comes from the driver.
  const auto j = RunJson({"--load-registers", path.c_str(), "--mode", "800x600"});
  const auto& s = j["monitor_signal"];
  EXPECT_NEAR(s["line_rate_hz"].get<double>(), 31470, 5);
  EXPECT_NEAR(s["field_rate_hz"].get<double>(), 59.94, 0.005);
  EXPECT_FALSE(s["hsync_positive"].get<bool>());
  EXPECT_FALSE(s["vsync_positive"].get<bool>());

  const ScopeRun text = RunScopeWith({"--load-registers", path.c_str()});
  EXPECT_EQ(text.status, 0) << text.err;
  EXPECT_NE(text.out.find("Desktop 640x480 (size read from the loaded registers"),
            std::string::npos)
      << text.out;
  EXPECT_NE(text.out.find("31.469 kHz"), std::string::npos) << text.out;
  EXPECT_NE(text.out.find("59.940 Hz"), std::string::npos) << text.out;
}

// `null` leaves an index out and the reading goes on: the same mode typed with nulls where it
// keeps the driver's values (the unused CR0A-CR0F, the attribute colours 1-5) loads in full,
// down to the 480 displayed lines that CR12, past the nulls, holds.
TEST(LoadRegisters, ANullLeavesAnIndexOutAndTheReadingGoesOn) {
  std::string with_nulls = kVga640x480;
  const auto replace = [&with_nulls](const std::string& from, const std::string& to) {
    const size_t at = with_nulls.find(from);
    ASSERT_NE(at, std::string::npos) << from;
    with_nulls.replace(at, from.size(), to);
  };
  replace("64, 0, 0, 0, 0, 0, 0,", "64, null, null, null, null, null, null,");
  replace("[0, 1, 2, 3, 4, 5, 20,", "[0, null, null, null, null, null, 20,");
  const std::string typed = WriteFile("vga-640x480-typed.json", kVga640x480);
  const std::string nulls = WriteFile("vga-640x480-nulls.json", with_nulls);

  // Over the driver's 800x600 mode: what the file leaves out keeps 800x600's values.
  const auto full = RunJson({"--load-registers", typed.c_str(), "--mode", "800x600"});
  const auto j = RunJson({"--load-registers", nulls.c_str(), "--mode", "800x600"});
  const auto& s = j["monitor_signal"];
  EXPECT_EQ(s["display_lines_per_field"], 480);
  EXPECT_NEAR(s["line_rate_hz"].get<double>(), 31470, 5);
  EXPECT_NEAR(s["field_rate_hz"].get<double>(), 59.94, 0.005);
  EXPECT_EQ(s, full["monitor_signal"]);
  EXPECT_EQ(j["loaded_registers"]["not_loaded"], nlohmann::json::array());
}

// {"key": [0, 0, ...]} with `count` values.
std::string Values(const char* key, int count) {
  std::string text = std::string("{\"") + key + "\": [0";
  for (int i = 1; i < count; ++i)
    text += ", 0";
  return text + "]}";
}

TEST(LoadRegisters, FilesItCannotUseAreNamedWithThePlaceOfTheFault) {
  struct Case {
    const char* name;
    std::string text;
    const char* place;  // what the message must say after the file's name
  };
  const Case cases[] = {
      {"not-json", "{\"misc\": 227,\n \"crtc\": [95, 79,, 80]}",
       "not JSON (the syntax fails at line 2"},
      {"empty", "", "not JSON"},
      {"too-big", R"({"crtc": [95, 79, 300]})", "crtc[2] (index 0x02): 300 is outside 0-255"},
      {"negative", R"({"misc": -1})", "misc: -1 is outside 0-255"},
      {"fraction", R"({"seq": [3, 1.5]})", "seq[1] (index 0x01): 1.5 is not a whole number"},
      {"text", R"({"gc": ["five"]})",
       "gc[0] (index 0x00): expected a number from 0 to 255, a string \"0x00\" to \"0xFF\" or "
       "null, found a string of another form"},
      {"hex-too-big", R"({"gc": ["0x100"]})", "gc[0] (index 0x00): expected a number"},
      {"hex-no-digits", R"({"gc": [5, "0x"]})", "gc[1] (index 0x01): expected a number"},
      {"decimal-string", R"({"misc": "227"})", "misc: expected a number"},
      {"object-value", R"({"crtc": [95, {"a": [1, 2, 3]}]})",
       "crtc[1] (index 0x01): expected a number from 0 to 255, a string \"0x00\" to \"0xFF\" or "
       "null, found an object"},
      {"bool-value", R"({"misc": true})",
       "misc: expected a number from 0 to 255, a string \"0x00\" to \"0xFF\" or null, found a "
       "boolean"},
      {"string-array", R"({"seq": "0x03"})",
       "seq: expected an array of register values, found a string"},
      {"overflow", "{\n  \"misc\": 1e400}", "a number too large for any register at line 2"},
      {"overflow-in-array", R"({"crtc": [95, -1e999]})", "a number too large for any register"},
      {"huge-integer", R"({"misc": 1e300})", "misc: 1e+300 is outside 0-255"},
      {"deep", std::string(100000, '[') + std::string(100000, ']'),
       "nested deeper than 8 levels at line 1, column 9 (a register file nests 3 deep)"},
      {"deep-value", R"({"misc": [[[[[[[[[1]]]]]]]]]})", "nested deeper than 8 levels"},
      {"long-key", "{\"" + std::string(5000, 'k') + "\": 1}",
       "unknown key \"kkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkk...\""},
      {"too-long", Values("attr", 33),
       "attr has 33 values; the attribute controller has 32 registers"},
      {"too-long-crtc", Values("crtc", 257), "crtc has 257 values; the CRT controller has 256"},
      {"unknown-key", R"({"misc": 227, "crct": [95]})", "unknown key \"crct\""},
      {"unknown-in-report", R"({"signal": {}, "registers": {"cr": []}})",
       "unknown key \"registers.cr\""},
      {"not-an-object", "[1, 2, 3]", "expected a JSON object"},
      {"not-an-array", R"({"crtc": 95})", "crtc: expected an array"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = WriteFile(std::string(c.name) + ".json", c.text);
    const ScopeRun run = RunScopeWith({"--load-registers", path.c_str()});
    EXPECT_EQ(run.status, 2);
    EXPECT_TRUE(run.out.empty());
    EXPECT_NE(run.err.find(path + ": " + c.place), std::string::npos) << run.err;
    // A message names what is wrong; it never repeats a large part of the file.
    EXPECT_LT(run.err.size(), path.size() + 300) << run.err;
  }
  const ScopeRun missing = RunScopeWith({"--load-registers", "no-such-file.json"});
  EXPECT_EQ(missing.status, 2);
  EXPECT_NE(missing.err.find("no-such-file.json: cannot be read"), std::string::npos);
}

// The forms a value may take: decimal numbers as the JSON dump prints them, "0x" strings as the
// text dump shows them (any case, one or two digits), null for an index left out, arrays that
// stop early. Each file below is the VGA 640x480 mode of kVga640x480 in one form, loaded over
// the driver's 800x600 mode: each must make the same 31.47 kHz / 59.94 Hz signal.
TEST(LoadRegisters, EveryDocumentedFormOfAValueLoads) {
  struct Case {
    const char* name;
    const char* text;
  };
  const Case cases[] = {
      {"decimal", kVga640x480},
      {"hex", R"({
  "misc": "0xE3",
  "seq":  ["0x03", "0x01", "0x0F", "0x00", "0x06"],
  "crtc": ["0x5F", "0x4F", "0x50", "0x82", "0x54", "0x80", "0x0B", "0x3E", "0x00", "0x40",
           "0x00", "0x00", "0x00", "0x00", "0x00", "0x00",
           "0xEA", "0x8C", "0xDF", "0x28", "0x00", "0xE7", "0x04", "0xE3", "0xFF"],
  "gc":   ["0x00", "0x00", "0x00", "0x00", "0x00", "0x00", "0x05", "0x0F", "0xFF"],
  "attr": ["0x00", "0x01", "0x02", "0x03", "0x04", "0x05", "0x14", "0x07", "0x38", "0x39",
           "0x3A", "0x3B", "0x3C", "0x3D", "0x3E", "0x3F", "0x01", "0x00", "0x0F", "0x00", "0x00"]
})"},
      // Mixed, lower case, single digits, and the whole report's "registers" object.
      {"mixed-report", R"({"standard": "vga", "registers": {
  "misc": 227,
  "seq":  [3, "0x1", 15, "0X0", 6],
  "crtc": [95, "0x4f", 80, 130, 84, 128, 11, 62, 0, 64, 0, 0, 0, 0, 0, 0,
           234, "0x8c", 223, 40, 0, 231, 4, 227, 255],
  "gc":   [0, 0, 0, 0, 0, 0, 5, 15, 255],
  "attr": [0, 1, 2, 3, 4, 5, 20, 7, 56, 57, 58, 59, 60, 61, 62, 63, 1, 0, 15, 0, 0]}})"},
      // Trailing nulls leave the driver's CR19-CR1B as they were.
      {"null-keeps-reading", R"({
  "misc": 227,
  "seq":  [3, 1, 15, 0, 6],
  "crtc": [95, 79, 80, 130, 84, 128, 11, 62, 0, 64, 0, 0, 0, 0, 0, 0,
           234, 140, 223, 40, 0, 231, 4, 227, null, null, null],
  "gc":   [0, 0, 0, 0, 0, 0, 5, 15, 255],
  "attr": [0, 1, 2, 3, 4, 5, 20, 7, 56, 57, 58, 59, 60, 61, 62, 63, 1, 0, 15, 0, 0]
})"},
  };
  const std::string decimal = WriteFile("form-decimal.json", kVga640x480);
  const auto expected = RunJson({"--load-registers", decimal.c_str(), "--mode", "800x600"});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = WriteFile(std::string("form-") + c.name + ".json", c.text);
    const auto j = RunJson({"--load-registers", path.c_str(), "--mode", "800x600"});
    const auto& s = j["monitor_signal"];
    EXPECT_NEAR(s["line_rate_hz"].get<double>(), 31470, 5);
    EXPECT_NEAR(s["field_rate_hz"].get<double>(), 59.94, 0.005);
    EXPECT_EQ(s["display_lines_per_field"], 480);
    EXPECT_EQ(j["monitor_signal"], expected["monitor_signal"]);
  }

  // A null in the middle skips one index: the values after it still load.
  const std::string gap = WriteFile(
      "form-gap.json", R"({"crtc": [95, null, 80, 130, 84, 128, 11, 62, 0, 64, 0, 0, 0, 0, 0, 0,
                                    234, 140, 223, 40, 0, 231, 4, 227, 255],
                          "misc": 227, "seq": [3, 1, 15, 0, 6]})");
  const auto gapped =
      RunJson({"--load-registers", gap.c_str(), "--mode", "800x600", "--registers"});
  const auto driver = RunJson({"--mode", "800x600", "--registers"});
  EXPECT_EQ(gapped["registers"]["crtc"][0x01], driver["registers"]["crtc"][0x01]);  // the null
  EXPECT_EQ(gapped["registers"]["crtc"][0x12], 223);  // after it, unlike the driver's 800x600
  EXPECT_NE(driver["registers"]["crtc"][0x12], 223);
  EXPECT_EQ(gapped["monitor_signal"]["display_lines_per_field"], 480);
}

}  // namespace
}  // namespace zanvo::scope
