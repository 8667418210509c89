#pragma once
// Scripted message boxes and a counted message pump. All inline: the contract tests
// against the real platform record their message boxes with it too.
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "platform/ui.h"

namespace zv::fakes {

struct ShownMessage {
    std::string text;
    std::string title;
    Dword style = 0;
    int answer = 0;
};

class FakeUi : public IUi {
public:
    int MessageBox(const std::string& text, const std::string& title, Dword style) override {
        int answer;
        if (!m_answers.empty()) {
            answer = m_answers.front();
            m_answers.pop_front();
        } else {
            answer = (style & 0xF) == kMbOk ? kIdOk : kIdYes;
        }
        shown.push_back({text, title, style, answer});
        if (onMessageBox) onMessageBox(shown.back());
        return answer;
    }
    void DoEvents() override {
        ++doEventsCalls;
        if (onDoEvents) onDoEvents(doEventsCalls);
    }

    // Inline, as a front end without a window runs it.
    void RunOffThread(const std::function<void()>& work) override {
        ++offThreadCalls;
        work();
    }
    // As the window: the runs decide where their work runs as they would there.
    [[nodiscard]] bool HasWindow() const override { return hasWindow; }
    bool hasWindow = true;

    // Answers for the next boxes, in order; when none is queued a box answers
    // kIdOk for OK-only styles and kIdYes otherwise.
    void queueAnswer(int answer) { m_answers.push_back(answer); }
    // Runs inside DoEvents: lets a test act "while messages are processed".
    std::function<void(int call)> onDoEvents;
    std::function<void(const ShownMessage&)> onMessageBox;

    std::vector<ShownMessage> shown;
    int doEventsCalls = 0;
    int offThreadCalls = 0;

private:
    std::deque<int> m_answers;
};

}  // namespace zv::fakes
