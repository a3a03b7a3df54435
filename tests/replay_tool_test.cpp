// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

// brisco2-replay as a program: its exit status and output on bad input, and the game
// seen through the dumps of the scripts in tests/replays.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "replay_support.h"
#include "toolkit/error.h"
#include "toolkit/media/audio_output.h"
#include "toolkit/media/ffmpeg_media.h"

using replay_test::dumps;
using replay_test::Json;
using replay_test::lines;
using replay_test::runReplay;
using replay_test::runScriptText;
using replay_test::TempDir;

namespace {

std::string scriptPath(const std::string& name) {
    return std::string(BRISCO2_SOURCE_DIR) + "/tests/replays/" + name;
}

// Runs a kept script in an empty folder (so the music file is missing) and reads its
// dumps.
std::vector<Json> replayDumps(const std::string& name) {
    TempDir cwd;
    auto r = runReplay({scriptPath(name)}, "", cwd.path());
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(replay_test::validUtf8(r.out));
    return dumps(r.out);
}

// A malformed or unreadable script: status 2, nothing on standard output, one line on
// standard error that starts with `prefix`.
void expectRejected(const replay_test::RunResult& r, const std::string& prefix) {
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.out, "");
    const auto err = lines(r.err);
    ASSERT_EQ(err.size(), 1u) << r.err;
    EXPECT_EQ(err[0].rfind(prefix, 0), 0u) << err[0];
    EXPECT_GT(err[0].size(), prefix.size());
}

const Json& widget(const Json& d, const std::string& name) {
    return d["widgets"][name];
}
std::string caption(const Json& d, const std::string& name) {
    return widget(d, name)["caption"].text();
}
bool timerOn(const Json& d, const std::string& name) {
    return d["timers"][name]["enabled"].truth();
}
long long global(const Json& d, const std::string& name) {
    return d["globals"][name].integer();
}

}  // namespace

TEST(ReplayTool, MalformedScriptsExit2WithOneLineAndNoOutput) {
    TempDir dir;
    const auto bad = dir.write("bad.replay", "# header\n0 dump\n\n5 jump\n10 dump\n");
    expectRejected(runReplay({bad.string()}, "", dir.path()), bad.string() + ":4: ");
    // Standard input, named "-", whether given or not.
    expectRejected(runReplay({"-"}, "0 dump\n10 dump\n5 dump\n", dir.path()), "-:3: ");
    expectRejected(runReplay({}, "0 dump\nseed 4\n", dir.path()), "-:2: ");
    // Binary data and a 10 MB line.
    expectRejected(runScriptText(std::string("0 dump\n\0\x01\x02\xff\xfe\n", 13)), "-:2: ");
    expectRejected(runScriptText("0 dump\n0 key " + std::string(10 << 20, 'Q') + "\n"), "-:2: ");
    expectRejected(runScriptText("99999999999999999999999999 dump\n"), "-:1: ");
    // Scripts that cannot be read at all.
    const std::string missing = (dir.path() / "none.replay").string();
    expectRejected(runReplay({missing}, "", dir.path()), missing + ":0: ");
    expectRejected(runReplay({dir.path().string()}, "", dir.path()), dir.path().string() + ":0: ");
}

TEST(ReplayTool, UsageErrorsAndHelp) {
    TempDir dir;
    for (const std::vector<std::string>& args :
         std::vector<std::vector<std::string>>{{"-x"}, {"--verbose"}, {"a.replay", "b.replay"}}) {
        auto r = runReplay(args, "0 dump\n", dir.path());
        EXPECT_EQ(r.status, 2) << args[0];
        EXPECT_EQ(r.out, "");
        bool usage = false;
        for (const auto& l : lines(r.err))
            usage = usage || l.rfind("usage: brisco2-replay", 0) == 0;
        EXPECT_TRUE(usage) << r.err;
    }
    auto help = runReplay({"--help"}, "", dir.path());
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("usage: brisco2-replay [SCRIPT]"), std::string::npos);
    EXPECT_NE(help.out.find("1..32767"), std::string::npos);  // the resize bounds
    // "--" ends the options: what follows is a script name.
    expectRejected(runReplay({"--", "-x"}, "", dir.path()), "-x:0: ");
}

TEST(ReplayTool, ValidScriptsRunAndPrintOneLinePerDump) {
    auto r = runScriptText("seed 3\n0 dump\r\n# note\n5 dump\n5 dump\n");
    EXPECT_EQ(r.status, 0) << r.err;
    auto d = dumps(r.out);
    ASSERT_EQ(d.size(), 3u);
    EXPECT_EQ(d[0]["t"].integer(), 0);
    EXPECT_EQ(d[1]["t"].integer(), 5);
    EXPECT_EQ(d[2]["t"].integer(), 5);
    auto empty = runScriptText("");
    EXPECT_EQ(empty.status, 0);
    EXPECT_EQ(empty.out, "");
}

namespace {
// Runs the replay tool with `args` and `script` on standard input, its standard output
// on the descriptor `out`, standard error kept.
replay_test::RunResult runReplayInto(const std::vector<std::string>& args,
                                     const std::string& script, int out) {
    TempDir io;
    const auto in = io.write("stdin", script);
    const auto err = io.path() / "stderr";
    std::vector<std::string> words = replay_test::replayCommand();
    words.insert(words.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& w : words) argv.push_back(w.data());
    argv.push_back(nullptr);
    const pid_t pid = ::fork();
    if (pid < 0) throw std::runtime_error("fork failed");
    if (pid == 0) {
        const int fi = ::open(in.c_str(), O_RDONLY);
        const int fe = ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (fi < 0 || fe < 0 || ::dup2(fi, 0) < 0 || ::dup2(out, 1) < 0 || ::dup2(fe, 2) < 0)
            ::_exit(127);
        ::execvp(argv[0], argv.data());
        ::_exit(127);
    }
    int wstatus = 0;
    while (::waitpid(pid, &wstatus, 0) < 0 && errno == EINTR) {
    }
    replay_test::RunResult r;
    r.status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : -1;
    r.signal = WIFSIGNALED(wstatus) ? WTERMSIG(wstatus) : 0;
    r.err = replay_test::readFile(err);
    return r;
}

// Enough dumps to fill any output buffer many times over.
std::string manyDumps() {
    std::string script;
    for (int t = 0; t < 2000; ++t) script += std::to_string(t) + " dump\n";
    return script;
}

// Lost dumps are a failure: an exit status that says so, and the reason on standard
// error, never a death by signal that leaves no word.
void expectOutputFailure(const replay_test::RunResult& r, const std::string& reason) {
    EXPECT_EQ(r.signal, 0);
    EXPECT_NE(r.status, 0);
    EXPECT_NE(r.status, 127) << "the tool did not start";
    EXPECT_NE(r.err.find("standard output"), std::string::npos) << r.err;
    // The Node.js edition's runtime reports every failed write to standard output as an
    // input/output error, in its C library's words ("I/O error"); the native tool names
    // the system's reason.
    const bool nodeTool = std::getenv("BRISCO2_REPLAY_COMMAND") != nullptr;
    const bool named = r.err.find(reason) != std::string::npos;
    EXPECT_TRUE(named || (nodeTool && r.err.find("I/O error") != std::string::npos)) << r.err;
}
}  // namespace

TEST(ReplayTool, OutputThatCannotBeWrittenFailsTheRun) {
    // A full device: one small dump, many of them, and the help.
    const int full = ::open("/dev/full", O_WRONLY);
    ASSERT_GE(full, 0) << std::strerror(errno);
    expectOutputFailure(runReplayInto({"-"}, "0 dump\n", full), std::strerror(ENOSPC));
    expectOutputFailure(runReplayInto({"-"}, manyDumps(), full), std::strerror(ENOSPC));
    expectOutputFailure(runReplayInto({"--help"}, "", full), std::strerror(ENOSPC));
    ::close(full);

    // A reader that went away: the pipe's read end is closed before the tool writes.
    int pipeFds[2];
    ASSERT_EQ(::pipe(pipeFds), 0);
    ::close(pipeFds[0]);
    expectOutputFailure(runReplayInto({"-"}, manyDumps(), pipeFds[1]), std::strerror(EPIPE));
    expectOutputFailure(runReplayInto({}, "0 dump\n", pipeFds[1]), std::strerror(EPIPE));
    ::close(pipeFds[1]);
}

TEST(ReplayScenario, TitleScreenBorderSecondWindowAndTitleEnd) {
    auto d = replayDumps("title.replay");
    ASSERT_EQ(d.size(), 7u);
    const std::vector<long long> times = {0, 9, 10, 2499, 2500, 2999, 3000};
    for (std::size_t i = 0; i < d.size(); ++i) {
        EXPECT_EQ(d[i]["t"].integer(), times[i]);
        EXPECT_TRUE(d[i]["form1"]["visible"].truth());
        EXPECT_EQ(d[i]["form1"]["width"].integer(), 497);
        EXPECT_EQ(d[i]["form1"]["height"].integer(), 304);
    }
    // Sizeable before the first tick, borderless from it.
    EXPECT_EQ(d[0]["form1"]["border"].text(), "sizeable");
    EXPECT_EQ(d[1]["form1"]["border"].text(), "sizeable");
    EXPECT_EQ(d[2]["form1"]["border"].text(), "none");
    EXPECT_EQ(d[3]["form1"]["border"].text(), "none");
    // The second window at 2500 ms, disabled.
    EXPECT_FALSE(d[3]["form2"]["visible"].truth());
    EXPECT_TRUE(d[3]["form2"]["enabled"].truth());
    EXPECT_TRUE(d[4]["form2"]["visible"].truth());
    EXPECT_FALSE(d[4]["form2"]["enabled"].truth());
    EXPECT_EQ(d[4]["form2"]["width"].integer(), 496);
    EXPECT_EQ(d[4]["form2"]["height"].integer(), 335);
    // Title end at 3000 ms, not before.
    EXPECT_FALSE(widget(d[5], "m")["visible"].truth());
    EXPECT_TRUE(widget(d[5], "st")["visible"].truth());
    EXPECT_TRUE(widget(d[6], "m")["visible"].truth());
    EXPECT_FALSE(widget(d[6], "st")["visible"].truth());
    EXPECT_TRUE(widget(d[6], "c")["visible"].truth());
    EXPECT_TRUE(timerOn(d[6], "Timer7"));
    // The music's first attempt is at 3000 ms; the folder has no music file.
    EXPECT_EQ(d[5]["media"]["file"].text(), "");
    EXPECT_EQ(d[5]["media"]["failures"].integer(), 0);
    EXPECT_TRUE(d[5]["reports"].array.empty());
    EXPECT_EQ(d[6]["media"]["file"].text(), "Brisco.wma");
    EXPECT_FALSE(d[6]["media"]["open"].truth());
    EXPECT_FALSE(d[6]["media"]["playing"].truth());
    EXPECT_EQ(d[6]["media"]["opens"].integer(), 0);
    EXPECT_EQ(d[6]["media"]["failures"].integer(), 1);
    ASSERT_EQ(d[6]["reports"].array.size(), 1u);
    const Json& report = d[6]["reports"].array[0];
    EXPECT_EQ(report["caption"].text(), "brisco2");
    EXPECT_EQ(report["text"].text().back(), '.');
    EXPECT_TRUE(report["open"].truth());
}

TEST(ReplayScenario, BarKeyBeforeAnyMission) {
    auto d = replayDumps("bar_before_mission.replay");
    ASSERT_EQ(d.size(), 1u);
    EXPECT_EQ(widget(d[0], "c")["left"].integer(), 226);
    EXPECT_EQ(global(d[0], "BarLeft"), 10);
    EXPECT_EQ(global(d[0], "BarRight"), 10);
    EXPECT_EQ(caption(d[0], "c2a"), "Left+:10");
    EXPECT_EQ(caption(d[0], "c2b"), "Left-:10");
}

TEST(ReplayScenario, MissionOneStartAndTheBarKeys) {
    auto d = replayDumps("mission1.replay");
    ASSERT_EQ(d.size(), 3u);
    const Json& s = d[0];
    EXPECT_EQ(widget(s, "c")["left"].integer(), 216);
    EXPECT_EQ(widget(s, "c")["width"].integer(), 50);
    EXPECT_EQ(global(s, "BarLeft"), 216);
    EXPECT_EQ(global(s, "BarRight"), 266);
    EXPECT_EQ(global(s, "Points"), 0);
    EXPECT_EQ(global(s, "MissionSeconds"), 0);
    EXPECT_EQ(caption(s, "tt"), "Time: 0s");
    EXPECT_EQ(caption(s, "p"), "Points: 0");
    EXPECT_EQ(caption(s, "c2a"), "Left+: 0");
    EXPECT_EQ(caption(s, "c2b"), "Left-: 0");
    EXPECT_EQ(caption(s, "l"), "Level: 1");
    EXPECT_EQ(caption(s, "va"), "Game Over!");
    EXPECT_EQ(widget(s, "va")["color"].text(), "#ff0000");
    EXPECT_FALSE(widget(s, "m")["visible"].truth());
    EXPECT_FALSE(widget(s, "act2")["visible"].truth());
    EXPECT_FALSE(widget(s, "act3")["visible"].truth());
    for (int i = 1; i <= 9; ++i) EXPECT_EQ(timerOn(s, "m" + std::to_string(i)), i == 1) << i;
    EXPECT_TRUE(timerOn(s, "Ttt"));
    EXPECT_TRUE(timerOn(s, "bTimer46"));
    EXPECT_TRUE(timerOn(s, "bTimer49"));
    EXPECT_FALSE(timerOn(s, "bTimer47"));
    EXPECT_FALSE(timerOn(s, "bTimer48"));
    EXPECT_FALSE(timerOn(s, "ca2"));
    EXPECT_FALSE(timerOn(s, "ca3"));
    EXPECT_TRUE(s["menu"]["Left1"]["enabled"].truth());
    EXPECT_TRUE(s["menu"]["Left2"]["enabled"].truth());
    // D, then A.
    EXPECT_EQ(widget(d[1], "c")["left"].integer(), 226);
    EXPECT_EQ(caption(d[1], "c2a"), "Left+:226");
    EXPECT_EQ(caption(d[1], "c2b"), "Left-:276");
    EXPECT_EQ(widget(d[2], "c")["left"].integer(), 216);
    EXPECT_EQ(global(d[2], "BarLeft"), 216);
    EXPECT_EQ(global(d[2], "BarRight"), 266);
}

TEST(ReplayScenario, KeysToTheSecondWindowFallThroughToTheMainWindow) {
    auto d = replayDumps("form2_keys.replay");
    ASSERT_EQ(d.size(), 2u);
    EXPECT_TRUE(d[0]["form2"]["visible"].truth());
    EXPECT_FALSE(d[0]["form2"]["enabled"].truth());
    EXPECT_EQ(widget(d[0], "c")["left"].integer(), 226);
    EXPECT_EQ(caption(d[0], "c2a"), "Left+:10");
    EXPECT_TRUE(timerOn(d[1], "m1"));
    EXPECT_EQ(caption(d[1], "l"), "Level: 1");
    EXPECT_FALSE(widget(d[1], "m")["visible"].truth());
}

TEST(ReplayScenario, MouseCaptureDropsEveryKey) {
    auto d = replayDumps("capture.replay");
    ASSERT_EQ(d.size(), 2u);
    EXPECT_TRUE(widget(d[0], "m")["visible"].truth());
    EXPECT_FALSE(timerOn(d[0], "m1"));
    EXPECT_EQ(widget(d[0], "c")["left"].integer(), 216);
    EXPECT_EQ(global(d[0], "BarLeft"), 0);
    // Released: the same key acts.
    EXPECT_TRUE(timerOn(d[1], "m1"));
    EXPECT_FALSE(widget(d[1], "m")["visible"].truth());
}

TEST(ReplayScenario, DismissClosesTheOldestOpenReport) {
    auto d = replayDumps("dismiss.replay");
    ASSERT_EQ(d.size(), 4u);
    ASSERT_EQ(d[0]["reports"].array.size(), 1u);
    EXPECT_TRUE(d[0]["reports"].array[0]["open"].truth());
    ASSERT_EQ(d[1]["reports"].array.size(), 1u);
    EXPECT_FALSE(d[1]["reports"].array[0]["open"].truth());
    EXPECT_TRUE(d[1]["form1"]["enabled"].truth());
    // With none open, dismiss does nothing.
    ASSERT_EQ(d[2]["reports"].array.size(), 1u);
    EXPECT_FALSE(d[2]["reports"].array[0]["open"].truth());
    // The next failed attempt reports again; the closed report stays listed, oldest first.
    ASSERT_EQ(d[3]["reports"].array.size(), 2u);
    EXPECT_FALSE(d[3]["reports"].array[0]["open"].truth());
    EXPECT_TRUE(d[3]["reports"].array[1]["open"].truth());
    EXPECT_EQ(d[3]["media"]["failures"].integer(), 2);
}

TEST(ReplayScenario, TheUserSizesAndChangesTheStateOfTheMainWindow) {
    auto d = replayDumps("window.replay");
    ASSERT_EQ(d.size(), 5u);
    EXPECT_EQ(d[0]["form1"]["width"].integer(), 300);
    EXPECT_EQ(d[0]["form1"]["height"].integer(), 200);
    EXPECT_EQ(d[0]["form1"]["state"].text(), "normal");
    EXPECT_EQ(d[1]["form1"]["state"].text(), "maximized");
    EXPECT_EQ(d[2]["form1"]["state"].text(), "normal");  // F5
    EXPECT_EQ(d[3]["form1"]["state"].text(), "minimized");
    EXPECT_EQ(widget(d[3], "c")["left"].integer(), 226);  // D acts while minimised
    EXPECT_EQ(d[4]["form1"]["state"].text(), "normal");
}

TEST(ReplayScenario, TheMusicPlaysFromTheCurrentFolder) {
    TempDir cwd;
    const std::string tune = std::string(BRISCO2_BINARY_DIR) + "/run/Brisco.wma";
    ASSERT_TRUE(replay_test::fs::exists(tune)) << "the build renders " << tune;
    replay_test::fs::copy_file(tune, cwd.path() / "Brisco.wma");
    auto r = runReplay({"-"}, "3000 dump\n", cwd.path());
    ASSERT_EQ(r.status, 0) << r.err;
    auto d = dumps(r.out);
    ASSERT_EQ(d.size(), 1u);
    const Json& m = d[0]["media"];
    EXPECT_EQ(m["file"].text(), "Brisco.wma");
    EXPECT_TRUE(m["open"].truth());
    EXPECT_TRUE(m["playing"].truth());
    EXPECT_EQ(m["opens"].integer(), 1);
    EXPECT_EQ(m["failures"].integer(), 0);
    EXPECT_TRUE(d[0]["reports"].array.empty());
    EXPECT_EQ(d[0]["timers"]["Timer4"]["interval"].integer(), 82000);
}

namespace {

// What the desktop's music device says of `path`, or "" when it opens it.
std::string desktopOpenText(const std::string& path) {
    tk::FfmpegMedia media(std::make_unique<tk::SilentOutput>(tk::SilentOutput::Pace::Instant));
    try {
        media.open(path);
    } catch (const tk::Error& e) {
        return e.what();
    }
    return {};
}

}  // namespace

// A damaged or missing music file: the replay tool reports what the desktop's device
// says of it, word for word. Run against the Node.js tool too (its music is the same
// media code, built for WebAssembly), so both editions give the same text.
TEST(ReplayScenario, DamagedMusicIsReportedInTheDesktopsWords) {
    const std::string tune = std::string(BRISCO2_BINARY_DIR) + "/run/Brisco.wma";
    ASSERT_TRUE(replay_test::fs::exists(tune)) << "the build renders " << tune;
    std::ifstream in(tune, std::ios::binary);
    const std::string good((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::mt19937 gen(7);
    std::string noise(4096, '\0');
    for (char& c : noise) c = static_cast<char>(gen());
    const std::vector<std::pair<std::string, std::string>> damaged = {
        {"empty", ""},
        {"random bytes", noise},
        {"a header and nothing after it", good.substr(0, 16) + std::string(2000, '\x55')},
        {"the first hundred bytes", good.substr(0, 100)},
    };
    for (const auto& [what, bytes] : damaged) {
        TempDir cwd;
        const std::string file = cwd.path() / "Brisco.wma";
        std::ofstream(file, std::ios::binary) << bytes;
        const std::string expected = desktopOpenText(file);
        ASSERT_FALSE(expected.empty()) << what << ": the desktop opened it";
        auto r = runReplay({"-"}, "3000 dump\n", cwd.path());
        ASSERT_EQ(r.status, 0) << r.err;
        auto d = dumps(r.out);
        ASSERT_EQ(d.size(), 1u) << what;
        ASSERT_EQ(d[0]["reports"].array.size(), 1u) << what;
        EXPECT_EQ(d[0]["reports"].array[0]["text"].text(), expected + ".") << what;
        EXPECT_EQ(d[0]["media"]["failures"].integer(), 1) << what;
    }
    // A folder where the file should be.
    TempDir cwd;
    replay_test::fs::create_directory(cwd.path() / "Brisco.wma");
    const std::string expected = desktopOpenText(cwd.path() / "Brisco.wma");
    auto r = runReplay({"-"}, "3000 dump\n", cwd.path());
    ASSERT_EQ(r.status, 0) << r.err;
    auto d = dumps(r.out);
    ASSERT_EQ(d.size(), 1u);
    ASSERT_EQ(d[0]["reports"].array.size(), 1u);
    EXPECT_EQ(d[0]["reports"].array[0]["text"].text(), expected + ".");
}
