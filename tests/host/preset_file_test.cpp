// .fxp and .fxb files: the bytes written match layouts worked out by hand,
// what is written reads back, damaged or foreign files are refused, and the
// files carry a program from one render to another exactly.
#include "tools/host/preset_file.h"

#include <gtest/gtest.h>

#include "host_test_support.h"
#include "tools/host/host_error.h"

namespace vardelline::host {
namespace {

// Bytes from hexadecimal text; blanks ignored.
std::vector<uint8_t> hex(const std::string& text) {
    std::vector<uint8_t> bytes;
    std::string digits;
    for (char c : text)
        if (c != ' ' && c != '\n') digits += c;
    for (size_t i = 0; i + 1 < digits.size(); i += 2) bytes.push_back(static_cast<uint8_t>(std::stoi(digits.substr(i, 2), nullptr, 16)));
    return bytes;
}

std::string zeros(int count) {
    return std::string(2 * static_cast<size_t>(count), '0');
}

const int32_t kVdLn = 0x76644C6E;

// "Ab" with the values 1.0 and 0.5 for plug-in 'vdLn' version 1.
const std::vector<uint8_t> kProgramBytes = hex(
    "43636E4B 00000038 4678436B 00000001 76644C6E 00000001 00000002"
    "4162" + zeros(26) +
    "3F800000 3F000000");

// Two programs of one value each ("P1" 0.25, "P2" 0.75), plug-in version 7.
const std::vector<uint8_t> kBankBytes = hex(
    "43636E4B 0000010C 4678426B 00000001 76644C6E 00000007 00000002" + zeros(128) +
    "43636E4B 00000034 4678436B 00000001 76644C6E 00000007 00000001 5031" + zeros(26) + "3E800000"
    "43636E4B 00000034 4678436B 00000001 76644C6E 00000007 00000001 5032" + zeros(26) + "3F400000");

TEST(PresetFile, ProgramAndBankBytesFollowTheLayout) {
    EXPECT_EQ(encodeProgram({"Ab", {1.0f, 0.5f}}, {kVdLn, 1, 2, 0}), kProgramBytes);
    EXPECT_EQ(encodeBank({{"P1", {0.25f}}, {"P2", {0.75f}}}, {kVdLn, 7, 1, 2}), kBankBytes);
    // Names are cut to 27 characters and always end in a zero.
    const std::vector<uint8_t> longName = encodeProgram({std::string(40, 'x'), {}}, {kVdLn, 1, 0, 0});
    EXPECT_EQ(longName.size(), 56u);
    EXPECT_EQ(std::string(longName.begin() + 28, longName.begin() + 55), std::string(27, 'x'));
    EXPECT_EQ(longName[55], 0);
}

TEST(PresetFile, WhatIsWrittenReadsBack) {
    const PresetProgram program = decodeProgram(kProgramBytes, {kVdLn, 1, 2, 0}, "a.fxp");
    EXPECT_EQ(program.name, "Ab");
    EXPECT_EQ(program.values, (std::vector<float>{1.0f, 0.5f}));
    const std::vector<PresetProgram> bank = decodeBank(kBankBytes, {kVdLn, 7, 1, 2}, "b.fxb");
    ASSERT_EQ(bank.size(), 2u);
    EXPECT_EQ(bank[1].name, "P2");
    EXPECT_EQ(bank[1].values, std::vector<float>{0.75f});
    // Another version of the same plug-in still loads.
    EXPECT_NO_THROW(decodeProgram(kProgramBytes, {kVdLn, 2, 2, 0}, "a.fxp"));
}

std::string refusal(const std::vector<uint8_t>& bytes, const PresetIdentity& identity, bool bank) {
    try {
        if (bank)
            decodeBank(bytes, identity, "f");
        else
            decodeProgram(bytes, identity, "f");
    } catch (const HostError& e) {
        return e.what();
    }
    return "accepted";
}

TEST(PresetFile, DamagedAndForeignFilesAreRefused) {
    const PresetIdentity programId{kVdLn, 1, 2, 0}, bankId{kVdLn, 7, 1, 2};
    for (size_t size = 0; size < kProgramBytes.size(); ++size)
        EXPECT_NE(refusal({kProgramBytes.begin(), kProgramBytes.begin() + size}, programId, false).find("truncated"),
                  std::string::npos)
            << size;
    for (size_t size = 0; size < kBankBytes.size(); ++size)
        EXPECT_NE(refusal({kBankBytes.begin(), kBankBytes.begin() + size}, bankId, true).find("truncated"),
                  std::string::npos)
            << size;

    std::vector<uint8_t> foreign = kProgramBytes;
    foreign[16] = 'A';
    EXPECT_EQ(refusal(foreign, programId, false), "f: file is for plug-in 'AdLn', not 'vdLn'");
    EXPECT_EQ(refusal(kProgramBytes, {kVdLn, 1, 80, 0}, false), "f: holds 2 parameter values; the plug-in has 80");
    EXPECT_EQ(refusal(kBankBytes, {kVdLn, 7, 1, 8}, true), "f: holds 2 programs; the plug-in has 8");
    EXPECT_EQ(refusal(kBankBytes, {kVdLn, 7, 2, 2}, true), "f: program 0: holds 1 parameter values; the plug-in has 2");
    std::vector<uint8_t> chunk = kProgramBytes;
    chunk[9] = 'P';  // "FPCh": an opaque chunk instead of values
    chunk[10] = 'C';
    chunk[11] = 'h';
    EXPECT_EQ(refusal(chunk, programId, false), "f: holds an opaque chunk; this plug-in stores plain parameter values");
    EXPECT_EQ(refusal(kBankBytes, programId, false), "f: holds 'FxBk', not a program ('FxCk')");
    EXPECT_EQ(refusal(kProgramBytes, bankId, true).find("f: holds one program"), 0u);
    std::vector<uint8_t> notPreset = kProgramBytes;
    notPreset[0] = 'R';
    EXPECT_EQ(refusal(notPreset, programId, false), "f: not a VST preset file (no 'CcnK' mark)");
    std::vector<uint8_t> hugeCount = kProgramBytes;
    hugeCount[24] = 0x7F;
    EXPECT_NE(refusal(hugeCount, {kVdLn, 1, 0, 0}, false), "accepted");
}

class PresetCliTest : public hosttest::ScratchFolder {
protected:
    hosttest::RunResult run(const std::string& args) { return hosttest::runHost(folder, args); }
};

TEST_F(PresetCliTest, FilesCarryProgramsBetweenRendersExactly) {
    hosttest::writeAudio(path("in.wav"), 2, 3000);
    const hosttest::RunResult exported = run("presets export --out-dir p");
    ASSERT_EQ(exported.exitCode, 0) << exported.err;
    EXPECT_EQ(hosttest::fileText(path("p/Vardelline-factory.fxb")).size(), 156u + 8 * (56 + 80 * 4));
    EXPECT_EQ(hosttest::fileText(path("p/04-Extreme.fxp")).size(), 56u + 80 * 4);

    const std::string render = "render in.wav --float --tail 0.3 -o ";
    ASSERT_EQ(run(render + "program.wav -p Extreme").exitCode, 0);
    ASSERT_EQ(run(render + "preset.wav --preset p/04-Extreme.fxp").exitCode, 0);
    ASSERT_EQ(run(render + "bank.wav --bank p/Vardelline-factory.fxb -p 4").exitCode, 0);
    const std::vector<float> expected = hosttest::readAudio(path("program.wav")).samples;
    EXPECT_EQ(hosttest::readAudio(path("preset.wav")).samples, expected);
    EXPECT_EQ(hosttest::readAudio(path("bank.wav")).samples, expected);

    // A bank of renamed programs: --all-programs names its files after the bank's programs.
    ASSERT_EQ(run("presets save -o renamed.fxp -p 4 --name 'Far Out'").exitCode, 0);
    std::string bank = hosttest::fileText(path("p/Vardelline-factory.fxb"));
    const std::string renamed = hosttest::fileText(path("renamed.fxp"));
    bank.replace(156 + 4 * renamed.size(), renamed.size(), renamed);
    std::ofstream(path("renamed.fxb"), std::ios::binary) << bank;
    const hosttest::RunResult all = run("render in.wav --float --tail 0.3 --bank renamed.fxb --all-programs --out-dir all");
    ASSERT_EQ(all.exitCode, 0) << all.err;
    EXPECT_NE(all.out.find("04 Far Out "), std::string::npos) << all.out;
    EXPECT_EQ(hosttest::readAudio(path("all/04-Far_Out.wav")).samples, expected);

    // Settings saved with their name and rendered back.
    const std::string settings = " -p Panned --param 'Band 2 Feedback=70%' --param 'Band 2 Speed=3.2Hz'";
    const hosttest::RunResult saved = run("presets save -o mine.fxp --name 'Slow Shimmer'" + settings);
    ASSERT_EQ(saved.exitCode, 0) << saved.err;
    ASSERT_EQ(run(render + "direct.wav" + settings).exitCode, 0);
    const hosttest::RunResult fromFile = run(render + "saved.wav --preset mine.fxp");
    // The file holds no program number: it goes into the current program.
    EXPECT_EQ(fromFile.out.rfind("00 Slow Shimmer", 0), 0u) << fromFile.out;
    EXPECT_EQ(hosttest::readAudio(path("saved.wav")).samples, hosttest::readAudio(path("direct.wav")).samples);
    EXPECT_NE(hosttest::readAudio(path("saved.wav")).samples, expected);
    const hosttest::RunResult shown = run("presets show mine.fxp");
    EXPECT_EQ(shown.out.rfind("Slow Shimmer\n", 0), 0u) << shown.out;
    EXPECT_NE(shown.out.find(" 70%\n"), std::string::npos) << shown.out;
}

TEST_F(PresetCliTest, BadFilesAreRefusedBeforeRendering) {
    hosttest::writeAudio(path("in.wav"), 2, 1000);
    ASSERT_EQ(run("presets export --out-dir p").exitCode, 0);
    std::string foreign = hosttest::fileText(path("p/00-Default.fxp"));
    foreign[19] = 'x';
    std::ofstream(path("foreign.fxp"), std::ios::binary) << foreign;
    std::ofstream(path("short.fxb"), std::ios::binary) << hosttest::fileText(path("p/Vardelline-factory.fxb")).substr(0, 1000);
    const struct {
        const char* args;
        const char* message;
    } cases[] = {
        {"render in.wav --preset foreign.fxp", "error: foreign.fxp: file is for plug-in 'vdLx', not 'vdLn'\n"},
        {"render in.wav --bank short.fxb", "error: short.fxb: file is truncated (it announces 3164 bytes, holds 1000)\n"},
        {"render in.wav --preset p/Vardelline-factory.fxb", "error: p/Vardelline-factory.fxb: holds 'FxBk', not a program ('FxCk')\n"},
        {"render in.wav --bank p/00-Default.fxp", "error: p/00-Default.fxp: holds one program; load it with --preset\n"},
        {"render in.wav --preset none.fxp", "error: none.fxp: no such file\n"},
    };
    for (const auto& c : cases) {
        const hosttest::RunResult result = run(std::string(c.args) + " -o out.wav");
        EXPECT_EQ(result.exitCode, 1) << c.args;
        EXPECT_EQ(result.err, c.message) << c.args;
        EXPECT_FALSE(hosttest::fs::exists(path("out.wav"))) << c.args;
    }
}

TEST_F(PresetCliTest, ShowcasePresetsLoadAndSoundUnlikeAnyFactoryProgram) {
    ASSERT_EQ(run("presets export --out-dir factory").exitCode, 0);
    std::vector<std::string> factoryValues;
    for (const auto& entry : hosttest::fs::directory_iterator(folder / "factory"))
        if (entry.path().extension() == ".fxp") factoryValues.push_back(hosttest::fileText(entry.path().string()).substr(56));
    ASSERT_EQ(factoryValues.size(), 8u);

    const std::vector<std::pair<std::string, std::string>> showcase = {
        {"chorus-shimmer.fxp", "Chorus Shimmer"},     {"wide-slow-chorus.fxp", "Wide Slow Chorus"},
        {"ringing-feedback.fxp", "Ringing Feedback"}, {"spectral-smear.fxp", "Spectral Smear"},
        {"mono-widener.fxp", "Mono Widener"}};
    for (const auto& [file, name] : showcase) {
        const std::string path = std::string(PRESETS_DIR) + "/" + file;
        const hosttest::RunResult shown = run("presets show '" + path + "'");
        ASSERT_EQ(shown.exitCode, 0) << file << shown.err;
        EXPECT_EQ(shown.out.rfind(name + "\n", 0), 0u) << shown.out;
        const std::string values = hosttest::fileText(path).substr(56);
        for (const std::string& factory : factoryValues) EXPECT_NE(values, factory) << file;
    }

    // The ringing preset keeps sounding well after a short input ends, and the automatic tail keeps all of it.
    hosttest::writeAudio(path("hit.wav"), 1, 2000);
    const hosttest::RunResult ring = run("render hit.wav --float -o ring.wav --preset '" PRESETS_DIR "/ringing-feedback.fxp'");
    ASSERT_EQ(ring.exitCode, 0) << ring.err;
    const hosttest::AudioData out = hosttest::readAudio(path("ring.wav"));
    EXPECT_GT(out.info.frames, 2000 + 44100);
    EXPECT_GT(hosttest::peakOf(out.samples, 2 * (2000 + 44100 / 2)), 0.001f);
}

}  // namespace
}  // namespace vardelline::host
