// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "tools/replay/runner.h"

#include <deque>
#include <memory>

#include "toolkit/error.h"
#include "tools/replay/dump.h"

namespace brisco2::replay {

namespace {

// Plays nothing; opens succeed or fail as they did in the recorded session.
class RecordedMedia : public tk::MediaBackend {
  public:
    struct Answers {
        std::deque<const Command*> left;
        MediaFactory fallback;
    };
    explicit RecordedMedia(std::shared_ptr<Answers> answers) : answers_(std::move(answers)) {}

    void open(const std::string& fileName) override {
        close();
        if (answers_->left.empty()) {
            if (!fallback_ && answers_->fallback) fallback_ = answers_->fallback();
            if (!fallback_) throw tk::Error("no recorded answer left for this open");
            fallback_->open(fileName);
            return;
        }
        const Command* answer = answers_->left.front();
        answers_->left.pop_front();
        if (!answer->musicOk) throw tk::Error(answer->text);
        open_ = true;
    }
    void play() override {
        if (fallback_ && fallback_->isOpen()) fallback_->play();
        playing_ = open_;
    }
    void close() override {
        if (fallback_) fallback_->close();
        open_ = playing_ = false;
    }
    bool isOpen() const override { return open_ || (fallback_ && fallback_->isOpen()); }
    bool isPlaying() const override { return playing_ || (fallback_ && fallback_->isPlaying()); }

  private:
    std::shared_ptr<Answers> answers_;
    std::unique_ptr<tk::MediaBackend> fallback_;
    bool open_ = false;
    bool playing_ = false;
};

}  // namespace

MediaFactory recordedMusic(const Script& script, MediaFactory fallback) {
    auto answers = std::make_shared<RecordedMedia::Answers>();
    for (const Command& c : script.commands)
        if (c.op == Op::Music) answers->left.push_back(&c);
    answers->fallback = std::move(fallback);
    return [answers]() -> std::unique_ptr<tk::MediaBackend> {
        return std::make_unique<RecordedMedia>(answers);
    };
}

void runScript(const Script& script, Session& session,
               const std::function<void(const std::string&)>& onDump, const CheckSink& onCheck) {
    std::string line;
    tk::Application& app = session.app();
    for (const Command& c : script.commands) {
        tk::Form& window = c.toForm2 ? session.window2() : session.window1();
        if (c.op != Op::Late) session.runUntil(c.timeMs);
        switch (c.op) {
            case Op::Key:
                session.keyCode(c.vk, c.modifiers, c.toForm2);
                break;
            case Op::MouseDown:
                app.setMouseCaptured(true);
                break;
            case Op::MouseUp:
                app.setMouseCaptured(false);
                break;
            case Op::Resize:
                window.userResized(c.width, c.height);
                break;
            case Op::Maximize:
                window.userStateChanged(tk::WindowState::Maximized);
                break;
            case Op::Minimize:
                window.userStateChanged(tk::WindowState::Minimized);
                break;
            case Op::Restore:
                window.userStateChanged(tk::WindowState::Normal);
                break;
            case Op::Dismiss:
                if (c.reportId > 0)
                    app.closeReport(c.reportId);
                else
                    app.dismissOldest();
                break;
            case Op::Late:
                session.deliverLate(c.dueMs, c.timeMs);
                break;
            case Op::Frame:
                session.host().setDecoration(c.frame);
                break;
            case Op::Music:
                break;  // the device has the answer already
            case Op::Check:
                if (onCheck)
                    onCheck(c, stateDigest(session.game(), session.app(), session.nowMs()));
                break;
            case Op::Dump:
                line.clear();
                appendDump(line, session);
                onDump(line);
                break;
            case Op::End:
                return;  // the parser lets nothing follow it
        }
    }
}

}  // namespace brisco2::replay
